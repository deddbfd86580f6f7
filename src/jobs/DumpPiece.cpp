#include "DumpPiece.h"

#include <cstdio>

namespace marlet {

namespace {

constexpr const char* ControlNames[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                        "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                        "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

} // namespace

std::string byteName(std::uint8_t byte) {
    if (byte < 0x20)
        return ControlNames[byte];
    if (byte == 0x7F)
        return "DEL";
    if (byte < 0x7F)
        return std::string(1, static_cast<char>(byte));
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    return hex;
}

std::string bytesName(std::string_view bytes) {
    std::string name;
    for (char c : bytes)
        name += (name.empty() ? "" : " ") + byteName(static_cast<std::uint8_t>(c));
    return name;
}

} // namespace marlet
