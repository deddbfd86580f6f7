#pragma once

#include "driver/ControlCodes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace marlet {

/// The capture service's control socket is a Unix socket of sequenced packets; each packet
/// is one message, numbers little-endian:
///   request (client to service): u32 code, then the input buffer;
///   reply   (service to client): u32 result (Success or Failure), then the
///                                output buffer;
///   notice  (service to client): u32 Notification, u32 wParam, u32 lParam.
/// Connecting is the Open call and closing the connection the Close call.
namespace control {

/// Longer packets are refused.
constexpr std::size_t MaxPacket = 4096;

/// A little-endian 32-bit number at bytes.
inline std::uint32_t readNumber(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

/// Appends a little-endian 32-bit number.
inline void putNumber(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

/// A packet of a number and a buffer: a request or a reply.
inline std::vector<std::uint8_t> packet(std::uint32_t number,
                                        std::span<const std::uint8_t> buffer = {}) {
    std::vector<std::uint8_t> out;
    out.reserve(4 + buffer.size());
    putNumber(out, number);
    out.insert(out.end(), buffer.begin(), buffer.end());
    return out;
}

} // namespace control

} // namespace marlet
