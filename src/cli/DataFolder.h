#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace marlet {

/// The folders a program looks in for its data when no --data-dir is given, in order:
/// $MARLET_DATA_DIR, the user's own $XDG_DATA_HOME/marlet (~/.local/share/marlet), the
/// installed ../share/marlet beside the program's bin/, and, for a program still in its
/// build tree, the source tree's data/.
std::vector<std::string> dataFolderCandidates();

/// Whether a folder holds Marlet's data: a code page table ("*.cp") or a language file
/// ("*.lng").
bool holdsData(const std::string& folder);

/// Makes the paths the user typed, and the folders the environment names, absolute, so
/// that they still point where the command was typed; then makes the data folder (the code
/// pages, language files and "unused.seq") the working folder: dataDir when given, else
/// the first candidate that holds data. Fails with "Cannot open folder DIR", or with a
/// message naming the folders tried.
void enterDataFolder(const std::optional<std::string>& dataDir,
                     std::initializer_list<std::optional<std::string>*> userPaths);

} // namespace marlet
