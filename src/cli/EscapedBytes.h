#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marlet {

/// The bytes a command-line string stands for: `\e` ESC, `\r`, `\n`, `\t`, `\f`, `\\` and
/// `\xHH` (two hexadecimal digits) give one byte each, every other character is its own
/// bytes. Nothing when a backslash starts none of these.
std::optional<std::string> unescapeBytes(std::string_view text);

/// A byte string in the notation unescapeBytes() reads: control bytes and the backslash
/// escaped, UTF-8 text shown as it is, the high bytes of anything else as `\xHH`.
std::string escapeBytes(std::string_view bytes);

} // namespace marlet
