#pragma once

#include <string>
#include <vector>

namespace marlet {

/// The languages offered to the user: one per "*.lng" file of a folder, in the order the
/// folder lists them, each the file's name up to its first ".".
std::vector<std::string> listLanguages(const std::string& folder = ".");

/// The file that holds a language's texts: the name followed by ".lng".
std::string languageFileName(const std::string& language);

} // namespace marlet
