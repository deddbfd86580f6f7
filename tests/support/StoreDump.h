#pragma once

#include "config/SettingsStore.h"

#include <cstdio>
#include <string>

namespace marlet {

/// Every key below and including key, with its values in order and their bytes in hex:
/// two stores with the same dump hold the same keys, names, order, types and bytes.
inline std::string dumpStore(const SettingsStore& store, const std::string& key = "\\") {
    std::string out = "[" + key + "]\n";
    for (const std::string& name : store.valueNames(key)) {
        std::optional<StoredValue> value = store.value(key, name);
        out += "\"" + name + "\"=";
        if (const auto* number = std::get_if<std::uint32_t>(&*value)) {
            out += "dword:" + std::to_string(*number);
        } else {
            out += "bytes:";
            for (char byte : std::get<std::string>(*value)) {
                char hex[4];
                std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(byte));
                out += hex;
            }
        }
        out += "\n";
    }
    for (const std::string& subkey : store.subkeys(key))
        out += dumpStore(store, (key == "\\" ? "" : key) + "\\" + subkey);
    return out;
}

} // namespace marlet
