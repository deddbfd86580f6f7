#include "KeyPath.h"

#include "UnicodeText.h"

namespace marlet {

namespace {

char32_t upperCase(char32_t c) {
    if (c >= U'a' && c <= U'z')
        return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return c - 0x20;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if (((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF)) && (c & 1))
        return c - 1;
    return c;
}

} // namespace

std::vector<std::string> splitKeyPath(std::string_view path) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            names.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::string joinKeyPath(const std::vector<std::string>& names) {
    if (names.empty())
        return "\\";
    std::string path;
    for (const std::string& name : names)
        path += "\\" + name;
    return path;
}

std::string foldName(std::string_view name) {
    if (std::optional<std::u32string> text = decodeUtf8(name)) {
        for (char32_t& c : *text)
            c = upperCase(c);
        return encodeUtf8(*text);
    }
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    }
    return folded;
}

} // namespace marlet
