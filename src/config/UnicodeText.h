#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlet {

/// Code points of UTF-8 text, or nothing when the bytes are not well-formed UTF-8.
std::optional<std::u32string> decodeUtf8(std::string_view bytes);

/// UTF-8 bytes of code points; a lone surrogate is written as it stands.
std::string encodeUtf8(std::u32string_view text);

/// Code points of UTF-16LE bytes: surrogate pairs joined, lone surrogates kept as units.
/// An odd last byte is ignored.
std::u32string decodeUtf16le(std::string_view bytes);

/// UTF-16LE bytes of code points, with surrogate pairs past U+FFFF.
std::string encodeUtf16le(std::u32string_view text);

/// The character a Windows-1251 byte stands for on a Russian Windows host; the one byte
/// the code page leaves undefined (0x98) maps to U+0098, as Windows maps it.
char32_t windows1251Char(std::uint8_t byte);

/// The Windows-1251 byte of a character, or nothing when the code page has none.
std::optional<std::uint8_t> windows1251Byte(char32_t character);

} // namespace marlet
