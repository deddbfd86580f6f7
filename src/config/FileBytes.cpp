#include "FileBytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace marlet {

std::optional<std::string> readFileBytes(const std::string& fileName) {
    std::error_code error;
    if (std::filesystem::is_directory(fileName, error))
        return std::nullopt;
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return std::nullopt;
    try {
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        // The stream library reports a read error this way even with exceptions off.
        return std::nullopt;
    }
}

} // namespace marlet
