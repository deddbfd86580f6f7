#pragma once

#include <cstdint>
#include <string_view>

namespace marlet {

/// Reads a 32-bit integer the way the settings and table files write them: leading spaces,
/// an optional sign, then decimal digits or hexadecimal digits after "$", "x", "X", "0x" or
/// "0X", and nothing after the digits. Fails with "'TEXT' is not a valid integer value".
std::int32_t parseInteger(std::string_view text);

} // namespace marlet
