#pragma once

#include "config/SettingsStore.h"

#include <cstddef>
#include <string>
#include <vector>

namespace marlet {

/// The key of the named initialisation strings: value name = preset name, data = the bytes
/// sent to the printer ahead of every job. Only the user fills it.
inline constexpr const char* InitStrKey = "\\SOFTWARE\\Tuvo\\Marlet\\InitStr";

/// The initialisation presets offered in the tray menu.
struct InitPresets {
    /// The menu takes no more presets than this.
    static constexpr std::size_t MaxCount = 256;

    /// Whether the presets key exists: only then does the menu show its item.
    bool available = false;
    /// Preset names in the order the store lists them; the rest past MaxCount are ignored.
    std::vector<std::string> names;
};

/// Reads the presets key without creating it.
InitPresets readInitPresets(const SettingsStore& store);

/// The initialisation string a chosen menu item selects: the caption loses its first "&"
/// (an accelerator marker) and names the preset; a missing preset gives an empty string.
/// Fails with "Invalid data type for 'NAME'" when the preset is not a string.
std::string SelInit(const SettingsStore& store, const std::string& caption);

} // namespace marlet
