#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marlet {

/// The names along a key path from the root: "\SOFTWARE\Tuvo" gives {"SOFTWARE", "Tuvo"}.
/// Doubled, leading and trailing backslashes name nothing and are skipped.
std::vector<std::string> splitKeyPath(std::string_view path);

/// The absolute path of those names: {"SOFTWARE", "Tuvo"} gives "\SOFTWARE\Tuvo", and no
/// names give "\", the root.
std::string joinKeyPath(const std::vector<std::string>& names);

/// The form in which two key or value names are equal when they differ only in case, as
/// the registry compares them: letters in upper case (ASCII, Latin-1, Greek, Cyrillic) of
/// UTF-8 names; other bytes as they stand. Sorting by it sorts as the registry lists keys.
std::string foldName(std::string_view name);

} // namespace marlet
