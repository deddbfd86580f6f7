#include "languages/pcl/PclRowDecoder.h"

#include <algorithm>

namespace marlet {

namespace {

// Rows wider than this are cut: no printer images more than 8.5 inches at 1200 dpi.
constexpr std::size_t MaxRowBytes = 8.5 * 1200 / 8 + 1;

} // namespace

const std::vector<std::uint8_t>& PclRowDecoder::decode(std::string_view data) {
    switch (m_mode) {
    case 0:
        m_seed.assign(data.begin(), data.begin() + std::min(data.size(), MaxRowBytes));
        break;
    case 1:
        runLength(data);
        break;
    case 2:
        packBits(data);
        break;
    case 3:
        deltaRow(data);
        break;
    default:
        m_seed.clear();
        break;
    }
    return m_seed;
}

void PclRowDecoder::runLength(std::string_view data) {
    // Pairs of a repeat count less one and the byte to repeat.
    m_seed.clear();
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const std::size_t times = static_cast<std::uint8_t>(data[i]) + 1u;
        m_seed.insert(m_seed.end(), std::min(times, MaxRowBytes - m_seed.size()),
                      static_cast<std::uint8_t>(data[i + 1]));
    }
}

void PclRowDecoder::packBits(std::string_view data) {
    // A control byte n: 0..127 copies the next n + 1 bytes, -1..-127 repeats the next byte
    // 1 - n times, -128 does nothing.
    m_seed.clear();
    std::size_t i = 0;
    while (i < data.size() && m_seed.size() < MaxRowBytes) {
        const auto control = static_cast<std::int8_t>(data[i++]);
        if (control >= 0) {
            const std::size_t length =
                std::min<std::size_t>(static_cast<std::size_t>(control) + 1, data.size() - i);
            m_seed.insert(m_seed.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                          data.begin() + static_cast<std::ptrdiff_t>(i + length));
            i += length;
        } else if (control != -128 && i < data.size()) {
            m_seed.insert(m_seed.end(), static_cast<std::size_t>(1 - control),
                          static_cast<std::uint8_t>(data[i++]));
        }
    }
    if (m_seed.size() > MaxRowBytes)
        m_seed.resize(MaxRowBytes);
}

void PclRowDecoder::deltaRow(std::string_view data) {
    // A command byte holds the replacement count less one (top three bits) and the offset
    // from the end of the last replacement (low five); an offset of 31 goes on in the next
    // bytes, each added, until one is not 255. An empty row repeats the seed.
    std::size_t position = 0;
    std::size_t i = 0;
    while (i < data.size()) {
        const auto command = static_cast<std::uint8_t>(data[i++]);
        const std::size_t count = (command >> 5) + 1u;
        std::size_t offset = command & 0x1F;
        if (offset == 31) {
            std::uint8_t more = 255;
            while (more == 255 && i < data.size()) {
                more = static_cast<std::uint8_t>(data[i++]);
                offset += more;
            }
        }
        position += offset;
        for (std::size_t n = 0; n < count && i < data.size(); ++n, ++i, ++position) {
            if (position >= MaxRowBytes)
                continue;
            if (position >= m_seed.size())
                m_seed.resize(position + 1, 0);
            m_seed[position] = static_cast<std::uint8_t>(data[i]);
        }
    }
}

} // namespace marlet
