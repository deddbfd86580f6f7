#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace marlet {

/// Whether two texts are equal, with names of 8 to 16 bytes (font faces) compared in two
/// words inline: the font checks run for nearly every byte of a job, and a library call
/// costs more there than the compare itself.
inline bool sameShortText(std::string_view a, std::string_view b) {
    const std::size_t size = a.size();
    if (size != b.size())
        return false;
    if (size < 8 || size > 16)
        return a == b;
    std::uint64_t words[4];
    std::memcpy(&words[0], a.data(), 8);
    std::memcpy(&words[1], a.data() + size - 8, 8);
    std::memcpy(&words[2], b.data(), 8);
    std::memcpy(&words[3], b.data() + size - 8, 8);
    return words[0] == words[2] && words[1] == words[3];
}

} // namespace marlet
