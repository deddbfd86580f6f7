#pragma once

#include <string>
#include <vector>

namespace marlet {

/// The code page names offered to the user: one per "*.cp" entry of a folder, in the order
/// the folder lists them, each the entry's name up to its first ".".
std::vector<std::string> listCodePages(const std::string& folder = ".");

} // namespace marlet
