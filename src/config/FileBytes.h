#pragma once

#include <optional>
#include <string>

namespace marlet {

/// The whole content of a file, or nothing when it cannot be opened or read (a folder
/// included).
std::optional<std::string> readFileBytes(const std::string& fileName);

} // namespace marlet
