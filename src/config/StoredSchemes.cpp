#include "StoredSchemes.h"

#include "config/ActiveScheme.h"
#include "config/SchemeEntry.h"

#include <cctype>
#include <utility>
#include <vector>

namespace marlet {

namespace {

// Scheme names are key names, matched without regard to case.
bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool isActive(const SettingsStore& store, const std::string& name) {
    std::optional<std::string> active = readString(store, MarletKey, "Sequence");
    return active && sameName(*active, name);
}

// A key with its values and subkeys, read out so that it can be written under another
// name after the old one is gone (the two names may be one key to the store).
struct KeyCopy {
    std::string name;
    std::vector<std::pair<std::string, StoredValue>> values;
    std::vector<KeyCopy> subkeys;
};

KeyCopy readKey(const SettingsStore& store, const std::string& key, const std::string& name) {
    KeyCopy copy{name, {}, {}};
    for (const std::string& valueName : store.valueNames(key)) {
        if (std::optional<StoredValue> value = store.value(key, valueName))
            copy.values.emplace_back(valueName, *value);
    }
    for (const std::string& subkey : store.subkeys(key))
        copy.subkeys.push_back(readKey(store, key + "\\" + subkey, subkey));
    return copy;
}

void writeKey(SettingsStore& store, const std::string& key, const KeyCopy& copy) {
    store.createKey(key);
    for (const auto& [name, value] : copy.values)
        store.setValue(key, name, value);
    for (const KeyCopy& subkey : copy.subkeys)
        writeKey(store, key + "\\" + subkey.name, subkey);
}

} // namespace

std::string storedSchemeKey(const std::string& name) {
    return std::string(SequencesKey) + "\\" + name;
}

void deleteStoredScheme(SettingsStore& store, const std::string& name) {
    const bool active = isActive(store, name);
    store.beginBatch();
    store.deleteKey(storedSchemeKey(name));
    if (active)
        store.setValue(MarletKey, "Sequence", std::string(DefaultSchemeName));
    store.commit();
}

void renameStoredScheme(SettingsStore& store, const std::string& from, const std::string& to) {
    const bool active = isActive(store, from);
    const KeyCopy scheme = readKey(store, storedSchemeKey(from), to);
    store.beginBatch();
    store.deleteKey(storedSchemeKey(from));
    writeKey(store, storedSchemeKey(to), scheme);
    if (active)
        store.setValue(MarletKey, "Sequence", to);
    store.commit();
}

} // namespace marlet
