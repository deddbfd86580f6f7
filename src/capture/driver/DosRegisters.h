#pragma once

#include <cstdint>

namespace marlet {

/// The registers of the DOS program that raised an interrupt, as the driver may read and
/// change them before the program resumes.
struct DosRegisters {
    std::uint16_t ax = 0;
    std::uint16_t bx = 0;
    std::uint16_t cx = 0;
    std::uint16_t dx = 0;
    std::uint16_t ds = 0;
    bool carry = false;

    std::uint8_t ah() const { return static_cast<std::uint8_t>(ax >> 8); }
    std::uint8_t al() const { return static_cast<std::uint8_t>(ax & 0xFF); }
    void setAh(std::uint8_t value) { ax = static_cast<std::uint16_t>((ax & 0x00FF) | value << 8); }
    void setAl(std::uint8_t value) { ax = static_cast<std::uint16_t>((ax & 0xFF00) | value); }
};

} // namespace marlet
