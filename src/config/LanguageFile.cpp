#include "LanguageFile.h"

#include "base/Error.h"
#include "config/FileBytes.h"
#include "config/UnicodeText.h"

namespace marlet {

namespace {

// Keys are plain ASCII words, so folding the Latin letters is enough.
std::string foldCase(std::string_view key) {
    std::string folded(key);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

LanguageFile LanguageFile::load(const std::string& fileName) {
    const std::optional<std::string> bytes = readFileBytes(fileName);
    if (!bytes)
        throw Error::cannotOpen(fileName);
    return parse(decode(*bytes));
}

LanguageFile LanguageFile::parse(std::string_view text) {
    LanguageFile file;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos)
            file.m_texts.emplace(foldCase(line.substr(0, equals)),
                                 std::string(line.substr(equals + 1)));
        // CR LF leaves an empty line between the two, which has no "=" and sets nothing.
        start = end + 1;
    }
    return file;
}

std::string LanguageFile::decode(std::string_view bytes) {
    if (decodeUtf8(bytes)) {
        if (bytes.starts_with(Utf8ByteOrderMark))
            bytes.remove_prefix(Utf8ByteOrderMark.size());
        return std::string(bytes);
    }
    std::u32string text;
    text.reserve(bytes.size());
    for (char byte : bytes)
        text.push_back(windows1251Char(static_cast<std::uint8_t>(byte)));
    return encodeUtf8(text);
}

std::optional<std::string> LanguageFile::find(std::string_view key) const {
    const auto found = m_texts.find(foldCase(key));
    if (found == m_texts.end())
        return std::nullopt;
    return found->second;
}

std::string LanguageFile::text(std::string_view key) const {
    return find(key).value_or("");
}

} // namespace marlet
