#include "InitPresets.h"

namespace marlet {

InitPresets readInitPresets(const SettingsStore& store) {
    InitPresets presets;
    if (!store.keyExists(InitStrKey))
        return presets;
    presets.available = true;
    presets.names = store.valueNames(InitStrKey);
    if (presets.names.size() > InitPresets::MaxCount)
        presets.names.resize(InitPresets::MaxCount);
    return presets;
}

std::string SelInit(const SettingsStore& store, const std::string& caption) {
    std::string name = caption;
    if (const std::size_t ampersand = name.find('&'); ampersand != std::string::npos)
        name.erase(ampersand, 1);
    return readString(store, InitStrKey, name).value_or("");
}

} // namespace marlet
