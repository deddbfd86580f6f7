#pragma once

#include <cstdint>

namespace marlet::control {

/// The device-control codes of the capture driver, as a DOS-era virtual device takes them.
/// The host sends Open when a handle is opened and Close when one is closed; the
/// application reads and writes the 321-byte state block with the other two.
constexpr std::uint32_t Open = 0;
constexpr std::uint32_t Close = 0xFFFFFFFF;
constexpr std::uint32_t ReadState = 1;
constexpr std::uint32_t WriteState = 2;
/// The number of bytes the driver holds for the queue file, as a 4-byte output: a job is
/// not over while part of it waits in the driver.
constexpr std::uint32_t ReadHeld = 3;

/// What a call answers.
constexpr std::uint32_t Success = 0;
constexpr std::uint32_t Failure = 0xFFFFFFFF;
/// The service's only packet to a connection it cannot take, before it closes it.
constexpr std::uint32_t Refused = 0xFFFFFFFE;

/// The window message posted after every timed write to the queue file.
constexpr std::uint32_t Notification = 0x1992;

} // namespace marlet::control
