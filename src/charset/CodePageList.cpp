#include "CodePageList.h"

#include <filesystem>

namespace marlet {

std::vector<std::string> listCodePages(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.size() < 3 || name.compare(name.size() - 3, 3, ".cp") != 0)
            continue;
        names.push_back(name.substr(0, name.find('.')));
    }
    return names;
}

} // namespace marlet
