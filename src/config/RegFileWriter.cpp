#include "RegFileWriter.h"

#include "KeyPath.h"
#include "UnicodeText.h"
#include "base/Error.h"

#include <cstdio>

namespace marlet {

namespace {

constexpr char32_t lineEnd[] = U"\r\n";
// The registry editor breaks hex lists before they pass the 80th column.
constexpr std::size_t HexLineLimit = 77;

std::u32string ascii(std::string_view text) {
    return std::u32string(text.begin(), text.end());
}

std::u32string quoted(const std::u32string& text) {
    std::u32string out = U"\"";
    for (char32_t c : text) {
        if (c == U'"' || c == U'\\')
            out.push_back(U'\\');
        out.push_back(c);
    }
    out.push_back(U'"');
    return out;
}

// The stored case of every name along the path: the file shows the key as it was made.
std::vector<std::string> storedNames(const SettingsStore& store, const std::string& key) {
    std::vector<std::string> names;
    for (const std::string& wanted : splitKeyPath(key)) {
        const std::string folded = foldName(wanted);
        std::string found = wanted;
        for (const std::string& candidate : store.subkeys(joinKeyPath(names))) {
            if (foldName(candidate) == folded) {
                found = candidate;
                break;
            }
        }
        names.push_back(found);
    }
    return names;
}

} // namespace

std::string RegFileWriter::write(const SettingsStore& store, const std::string& key) const {
    if (!store.keyExists(key))
        throw Error("Key '" + key + "' not found");
    std::u32string out =
        m_format == RegFormat::Version5 ? U"Windows Registry Editor Version 5.00" : U"REGEDIT4";
    out += lineEnd;
    out += lineEnd;
    writeKey(store, key, storedNames(store, key), out);

    if (m_format == RegFormat::Version5)
        return "\xFF\xFE" + encodeUtf16le(out);
    std::string bytes;
    bytes.reserve(out.size());
    for (char32_t c : out)
        bytes.push_back(static_cast<char>(c));
    return bytes;
}

void RegFileWriter::writeKey(const SettingsStore& store, const std::string& key,
                             const std::vector<std::string>& names, std::u32string& out) const {
    out += U"[HKEY_LOCAL_MACHINE";
    for (const std::string& name : names)
        out += U"\\" + nameText(name);
    out += U"]";
    out += lineEnd;

    for (const std::string& name : store.valueNames(key)) {
        std::optional<StoredValue> stored = store.value(key, name);
        if (!stored)
            continue;
        std::u32string line = name.empty() ? U"@" : quoted(nameText(name));
        line += U"=";
        if (const auto* number = std::get_if<std::uint32_t>(&*stored)) {
            char digits[9];
            std::snprintf(digits, sizeof digits, "%08x", *number);
            line += U"dword:" + ascii(digits);
        } else {
            const std::string& bytes = std::get<std::string>(*stored);
            if (bytes.find_first_of("\r\n") == std::string::npos) {
                line += quoted(valueText(bytes));
            } else {
                line += U"hex(1):";
                line += hexText(bytes, line.size());
            }
        }
        out += line;
        out += lineEnd;
    }
    out += lineEnd;

    for (const std::string& subkey : store.subkeys(key)) {
        std::vector<std::string> below = names;
        below.push_back(subkey);
        writeKey(store, joinKeyPath(below), below, out);
    }
}

std::u32string RegFileWriter::nameText(const std::string& name) const {
    std::optional<std::u32string> text = decodeUtf8(name);
    if (!text)
        throw Error("The name '" + name + "' is not UTF-8 text and cannot be exported");
    if (m_format == RegFormat::Version5)
        return *text;
    std::u32string bytes;
    for (char32_t c : *text) {
        std::optional<std::uint8_t> byte = windows1251Byte(c);
        if (!byte)
            throw Error("The name '" + name + "' has no Windows-1251 form for a REGEDIT4 file");
        bytes.push_back(*byte);
    }
    return bytes;
}

std::u32string RegFileWriter::valueText(const std::string& bytes) const {
    std::u32string text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        auto b = static_cast<std::uint8_t>(byte);
        text.push_back(m_format == RegFormat::Version5 ? windows1251Char(b) : char32_t(b));
    }
    return text;
}

std::u32string RegFileWriter::hexText(const std::string& bytes, std::size_t column) const {
    // The data as the registry holds a REG_SZ: UTF-16LE for the version 5.00 form, single
    // bytes for REGEDIT4, with the terminating zero.
    std::string data = m_format == RegFormat::Version5
                           ? encodeUtf16le(valueText(bytes)) + std::string(2, '\0')
                           : bytes + std::string(1, '\0');
    std::u32string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        char piece[4];
        std::snprintf(piece, sizeof piece, "%02x", static_cast<unsigned char>(data[i]));
        std::u32string text = ascii(piece);
        if (i + 1 < data.size())
            text += U",";
        if (column + text.size() > HexLineLimit && i > 0) {
            out += U"\\";
            out += lineEnd;
            out += U"  ";
            column = 2;
        }
        out += text;
        column += text.size();
    }
    return out;
}

} // namespace marlet
