#pragma once

#include <cstdint>

namespace marlet {

// The control codes of the printer port, as the job driver and the printer languages act
// on them.
inline constexpr std::uint8_t Backspace = 0x08;
inline constexpr std::uint8_t Tab = 0x09;
inline constexpr std::uint8_t LineFeed = 0x0A;
inline constexpr std::uint8_t VerticalTab = 0x0B;
inline constexpr std::uint8_t FormFeed = 0x0C;
inline constexpr std::uint8_t CarriageReturn = 0x0D;
inline constexpr std::uint8_t ShiftOut = 0x0E;
inline constexpr std::uint8_t ShiftIn = 0x0F;
inline constexpr std::uint8_t DeviceControl2 = 0x12;
inline constexpr std::uint8_t DeviceControl4 = 0x14;
inline constexpr std::uint8_t Cancel = 0x18;
inline constexpr std::uint8_t Escape = 0x1B;

} // namespace marlet
