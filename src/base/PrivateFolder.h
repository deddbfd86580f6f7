#pragma once

#include <string>

namespace marlet {

/// Makes folder and any missing parents readable by the user alone (0700), whatever the
/// umask; folders that exist are left as they are. False when folder is still missing.
bool makePrivateFolders(const std::string& folder);

/// Creates an empty file readable by the user alone (0600) when none exists at path, so
/// that a library that creates it later with the umask's modes finds it made.
void makePrivateFile(const std::string& path);

} // namespace marlet
