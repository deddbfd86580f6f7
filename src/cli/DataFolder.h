#pragma once

#include <initializer_list>
#include <optional>
#include <string>

namespace marlet {

/// Makes the paths the user typed, and the folders the environment names, absolute, so
/// that they still point where the command was typed; then makes dataDir, the folder of
/// the code pages and language files, the working folder. Fails with "Cannot open folder
/// DIR".
void enterDataFolder(const std::optional<std::string>& dataDir,
                     std::initializer_list<std::optional<std::string>*> userPaths);

} // namespace marlet
