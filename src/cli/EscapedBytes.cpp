#include "EscapedBytes.h"

#include "config/UnicodeText.h"

#include <cstdio>

namespace marlet {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string hexEscape(unsigned char byte) {
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

std::string escapeControl(char32_t c) {
    switch (c) {
    case 0x1B:
        return "\\e";
    case U'\r':
        return "\\r";
    case U'\n':
        return "\\n";
    case U'\t':
        return "\\t";
    case U'\f':
        return "\\f";
    case U'\\':
        return "\\\\";
    default:
        return {};
    }
}

} // namespace

std::optional<std::string> unescapeBytes(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes.push_back(text[i]);
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'e':
            bytes.push_back('\x1B');
            break;
        case 'r':
            bytes.push_back('\r');
            break;
        case 'n':
            bytes.push_back('\n');
            break;
        case 't':
            bytes.push_back('\t');
            break;
        case 'f':
            bytes.push_back('\f');
            break;
        case '\\':
            bytes.push_back('\\');
            break;
        case 'x': {
            if (i + 2 >= text.size())
                return std::nullopt;
            int high = hexDigit(text[i + 1]);
            int low = hexDigit(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes.push_back(static_cast<char>(high * 16 + low));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return bytes;
}

std::string escapeBytes(std::string_view bytes) {
    std::string text;
    const bool utf8 = decodeUtf8(bytes).has_value();
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            std::string escaped = escapeControl(byte);
            if (!escaped.empty())
                text += escaped;
            else if (byte < 0x20 || byte == 0x7F)
                text += hexEscape(byte);
            else
                text.push_back(static_cast<char>(byte));
            ++i;
            continue;
        }
        if (!utf8) {
            text += hexEscape(byte);
            ++i;
            continue;
        }
        std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        std::string_view character = bytes.substr(i, length);
        // C1 controls (U+0080..U+009F) would act on a terminal: shown by their bytes.
        if (byte == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0) {
            for (char c : character)
                text += hexEscape(static_cast<unsigned char>(c));
        } else {
            text += character;
        }
        i += length;
    }
    return text;
}

} // namespace marlet
