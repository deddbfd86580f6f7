#include "LanguageList.h"

#include <filesystem>

namespace marlet {

namespace {

constexpr std::string_view Extension = ".lng";

} // namespace

std::vector<std::string> listLanguages(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    // Folders named "*.lng" are listed as the host's file search lists them; picking one
    // fails like a missing file.
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with(Extension))
            continue;
        // "Русский.old.lng" is offered as "Русский", which then loads "Русский.lng".
        names.push_back(name.substr(0, name.find('.')));
    }
    return names;
}

std::string languageFileName(const std::string& language) {
    return language + std::string(Extension);
}

} // namespace marlet
