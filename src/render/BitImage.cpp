#include "BitImage.h"

#include <algorithm>
#include <cstdint>

namespace marlet {

BitImage::BitImage(int width, int height)
    : m_width(std::max(0, width)), m_height(std::max(0, height)),
      m_bits(static_cast<std::size_t>(stride()) * static_cast<std::size_t>(m_height), 0) {
}

bool BitImage::inked() const {
    return std::any_of(m_bits.begin(), m_bits.end(), [](std::uint8_t byte) { return byte != 0; });
}

namespace {

// The dot under the centre of pixel `pixel` when `dots` dots are stretched over `pixels`.
// With pixels below 2^32 and dots below 2^31 the product stays within 64 unsigned bits.
int dotUnderCentre(std::int64_t pixel, int dots, std::int64_t pixels) {
    return static_cast<int>((2 * static_cast<std::uint64_t>(pixel) + 1) *
                            static_cast<std::uint64_t>(dots) /
                            (2 * static_cast<std::uint64_t>(pixels)));
}

// Eight dots of a row starting at any dot, as one byte, the first in the high bit.
std::uint8_t byteAt(const std::uint8_t* row, int stride, int dot) {
    const int index = dot / 8;
    const int shift = dot % 8;
    unsigned value = static_cast<unsigned>(row[index]) << shift;
    if (shift != 0 && index + 1 < stride)
        value |= static_cast<unsigned>(row[index + 1]) >> (8 - shift);
    return static_cast<std::uint8_t>(value);
}

} // namespace

BitImage BitImage::scaledPart(std::int64_t width, std::int64_t height, std::int64_t x,
                              std::int64_t y, int partWidth, int partHeight) const {
    constexpr std::int64_t MaxPixels = 0xFFFFFFFF;
    width = std::clamp<std::int64_t>(width, 0, MaxPixels);
    height = std::clamp<std::int64_t>(height, 0, MaxPixels);
    // Only pixels of the whole scaled picture can be asked for.
    const std::int64_t left = std::clamp<std::int64_t>(x, 0, width);
    const std::int64_t top = std::clamp<std::int64_t>(y, 0, height);
    BitImage result(static_cast<int>(std::min<std::int64_t>(partWidth, width - left)),
                    static_cast<int>(std::min<std::int64_t>(partHeight, height - top)));
    if (m_width == 0 || m_height == 0)
        return result;
    // The source column under each pixel's centre, worked out once for all rows.
    std::vector<int> columns(static_cast<std::size_t>(result.m_width));
    for (int column = 0; column < result.m_width; ++column)
        columns[static_cast<std::size_t>(column)] = dotUnderCentre(left + column, m_width, width);
    int lastSource = -1;
    for (int line = 0; line < result.m_height; ++line) {
        const int source = dotUnderCentre(top + line, m_height, height);
        std::uint8_t* out = result.row(line);
        if (source == lastSource) {
            std::copy(result.row(line - 1), result.row(line - 1) + result.stride(), out);
            continue;
        }
        lastSource = source;
        const std::uint8_t* in = row(source);
        for (int column = 0; column < result.m_width; ++column) {
            const int dot = columns[static_cast<std::size_t>(column)];
            if ((in[dot / 8] >> (7 - dot % 8)) & 1)
                out[column / 8] |= static_cast<std::uint8_t>(0x80 >> (column % 8));
        }
    }
    return result;
}

void BitImage::orPart(int x, int y, const BitImage& source, int fromX, int fromY, int width,
                      int height) {
    // A byte at a time: a picture's rows are mostly whole bytes of ink or of paper.
    for (int line = 0; line < height; ++line) {
        const std::uint8_t* in = source.row(fromY + line);
        std::uint8_t* out = row(y + line);
        for (int done = 0; done < width; done += 8) {
            const int count = std::min(8, width - done);
            const auto byte = static_cast<std::uint8_t>(byteAt(in, source.stride(), fromX + done) &
                                                        (0xFF00 >> count));
            if (byte == 0)
                continue;
            const int index = (x + done) / 8;
            const int shift = (x + done) % 8;
            out[index] |= static_cast<std::uint8_t>(byte >> shift);
            if (shift != 0 && static_cast<std::uint8_t>(byte << (8 - shift)) != 0)
                out[index + 1] |= static_cast<std::uint8_t>(byte << (8 - shift));
        }
    }
}

} // namespace marlet
