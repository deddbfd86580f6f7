#include "DropList.h"

#include "config/FileBytes.h"

namespace marlet {

std::vector<std::string> parseDropList(std::string_view bytes) {
    std::vector<std::string> sequences;
    std::size_t start = 0;
    while (start < bytes.size() && sequences.size() < MaxDropSequences) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = bytes.size();
        // An empty line would match nothing, so it takes no place in the list; CR LF shows
        // up here as one line and an empty one.
        if (end > start)
            sequences.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return sequences;
}

std::vector<std::string> readDropList(const std::string& fileName) {
    const std::optional<std::string> bytes = readFileBytes(fileName);
    return bytes ? parseDropList(*bytes) : std::vector<std::string>{};
}

} // namespace marlet
