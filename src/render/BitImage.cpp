#include "BitImage.h"

#include <algorithm>

namespace marlet {

BitImage::BitImage(int width, int height)
    : m_width(std::max(0, width)), m_height(std::max(0, height)),
      m_bits(static_cast<std::size_t>(stride()) * static_cast<std::size_t>(m_height), 0) {
}

bool BitImage::inked() const {
    return std::any_of(m_bits.begin(), m_bits.end(), [](std::uint8_t byte) { return byte != 0; });
}

BitImage BitImage::scaled(int width, int height) const {
    BitImage result(width, height);
    if (m_width == 0 || m_height == 0)
        return result;
    // The source column under each pixel's centre, worked out once for all rows.
    std::vector<int> columns(static_cast<std::size_t>(result.m_width));
    for (int x = 0; x < result.m_width; ++x)
        columns[static_cast<std::size_t>(x)] =
            static_cast<int>((2LL * x + 1) * m_width / (2LL * result.m_width));
    int lastSource = -1;
    for (int y = 0; y < result.m_height; ++y) {
        const int source = static_cast<int>((2LL * y + 1) * m_height / (2LL * result.m_height));
        std::uint8_t* out = result.row(y);
        if (source == lastSource) {
            std::copy(result.row(y - 1), result.row(y - 1) + result.stride(), out);
            continue;
        }
        lastSource = source;
        const std::uint8_t* in = row(source);
        for (int x = 0; x < result.m_width; ++x) {
            const int column = columns[static_cast<std::size_t>(x)];
            if ((in[column / 8] >> (7 - column % 8)) & 1)
                out[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return result;
}

} // namespace marlet
