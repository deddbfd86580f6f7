#pragma once

#include <string>
#include <vector>

namespace marlet {

/// The names a setting given for one run may take that depend on what is installed and
/// stored.
struct SettingChoices {
    std::vector<std::string> codePages;
    std::vector<std::string> languages;
    std::vector<std::string> schemes;
};

/// Whether a name can be given for one run ("--set NAME=VALUE"): any setting, and the
/// active scheme, `Sequence`.
bool isRunSetting(const std::string& name);

/// Whether a name is the active scheme's, `Sequence` (matched without regard to case).
bool isSequenceSetting(const std::string& name);

/// Checks a value given for one run: a number in the setting's range, 0 or 1 for a switch,
/// one of the code pages, languages or schemes there are. Fails with a UsageError that names
/// the setting and the values it takes.
void checkRunSetting(const std::string& name, const std::string& value,
                     const SettingChoices& choices);

} // namespace marlet
