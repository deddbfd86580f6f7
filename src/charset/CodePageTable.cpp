#include "CodePageTable.h"

#include "base/Error.h"
#include "base/IntegerText.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace marlet {

namespace {

constexpr std::size_t MaxLines = 256;
// The value text was held in a 255-character string: a "#" past that cannot be split off.
constexpr std::size_t MaxSetSeparator = 255;

std::vector<std::string_view> splitLines(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::uint16_t parseCode(std::string_view text) {
    std::int32_t value = parseInteger(text);
    if (value < 0 || value > 0xFFFF)
        throw Error::rangeCheck();
    return static_cast<std::uint16_t>(value);
}

std::uint8_t parseMarker(std::string_view text) {
    std::int32_t value = parseInteger(text);
    if (value < 0 || value > 0xFF)
        throw Error::rangeCheck();
    return static_cast<std::uint8_t>(value);
}

} // namespace

void CodePageTable::load(const std::string& fileName) {
    // A folder named "x.cp" is offered in the code page list like a file, but it cannot be
    // read as a table; the stream would open it and fail only on the first read.
    std::error_code error;
    std::ifstream file(fileName, std::ios::binary);
    if (!file || std::filesystem::is_directory(fileName, error))
        throw Error::cannotOpen(fileName);
    std::string text;
    try {
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        throw Error::cannotOpen(fileName);
    }
    loadText(text);
}

void CodePageTable::loadText(std::string_view text) {
    auto lines = splitLines(text);
    if (lines.empty() || lines.size() > MaxLines)
        throw Error::rangeCheck();
    resetToIdentity();
    for (std::string_view line : lines)
        applyLine(line);
}

void CodePageTable::resetToIdentity() {
    for (int b = 0; b < 256; ++b) {
        m_codes[b] = static_cast<std::uint16_t>(b);
        m_markers[b] = 1;
    }
}

void CodePageTable::applyLine(std::string_view line) {
    std::size_t equals = line.find('=');
    if (equals == 0 || equals == std::string_view::npos)
        throw Error::rangeCheck();
    std::string_view name = line.substr(0, equals);
    std::string_view value = line.substr(equals + 1);

    std::size_t hash = value.find('#');
    if (hash != std::string_view::npos && hash >= MaxSetSeparator)
        throw Error::rangeCheck();
    std::string_view codeText = value.substr(0, hash);
    std::string_view setText = hash == std::string_view::npos ? "1" : value.substr(hash + 1);

    std::uint16_t code = parseCode(codeText);
    auto first = static_cast<std::uint8_t>(name[0]);
    if (name.size() != 4) {
        m_codes[first] = code;
        m_markers[first] = parseMarker(setText);
        return;
    }
    // A four-character name is a range: first character to fourth, the code an offset.
    auto last = static_cast<std::uint8_t>(name[3]);
    for (int b = first; b <= last; ++b) {
        int shifted = b + code;
        if (shifted > 0xFFFF)
            throw Error::rangeCheck();
        m_codes[b] = static_cast<std::uint16_t>(shifted);
        m_markers[b] = parseMarker(setText);
    }
}

} // namespace marlet
