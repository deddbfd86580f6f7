#include "SettingsStore.h"

#include "base/Error.h"

namespace marlet {

namespace {

Error invalidType(const std::string& name) {
    return Error("Invalid data type for '" + name + "'");
}

} // namespace

std::optional<std::uint32_t> readNumber(const SettingsStore& store, const std::string& key,
                                        const std::string& name) {
    std::optional<StoredValue> stored = store.value(key, name);
    if (!stored)
        return std::nullopt;
    if (const auto* number = std::get_if<std::uint32_t>(&*stored))
        return *number;
    throw invalidType(name);
}

std::optional<std::string> readString(const SettingsStore& store, const std::string& key,
                                      const std::string& name) {
    std::optional<StoredValue> stored = store.value(key, name);
    if (!stored)
        return std::nullopt;
    if (const auto* text = std::get_if<std::string>(&*stored))
        return *text;
    throw invalidType(name);
}

} // namespace marlet
