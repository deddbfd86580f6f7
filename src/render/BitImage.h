#pragma once

#include <cstdint>
#include <vector>

namespace marlet {

/// A picture of dots, one bit each: rows top to bottom, eight dots a byte with the leftmost
/// in the high bit, each row padded to whole bytes, as PDF image masks and monochrome
/// bitmaps keep them. A set bit is a dot of ink.
class BitImage {
public:
    BitImage() = default;
    /// A blank picture of width by height dots.
    BitImage(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    /// Bytes in one row.
    int stride() const { return (m_width + 7) / 8; }
    /// Whether the dot at (x, y) is inked.
    bool dot(int x, int y) const {
        return (m_bits[offset(y) + static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
    }
    /// Inks the dot at (x, y).
    void setDot(int x, int y) {
        m_bits[offset(y) + static_cast<std::size_t>(x / 8)] |=
            static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    /// The bytes of one row.
    const std::uint8_t* row(int y) const { return m_bits.data() + offset(y); }
    std::uint8_t* row(int y) { return m_bits.data() + offset(y); }
    /// Every row, one after another.
    const std::vector<std::uint8_t>& bits() const { return m_bits; }
    /// Whether any dot is inked.
    bool inked() const;

    /// Columns x..x+partWidth-1 and rows y..y+partHeight-1 of the picture scaled to width by
    /// height pixels (each below 2^32): each pixel takes the dot under its centre, so a
    /// whole-number enlargement repeats every dot exactly. Only the part is worked out: a
    /// picture the stream stretched over miles of paper costs the pixels that land on the
    /// sheet.
    BitImage scaledPart(std::int64_t width, std::int64_t height, std::int64_t x, std::int64_t y,
                        int partWidth, int partHeight) const;
    /// Ors in the dots of source's columns fromX..fromX+width-1 and rows fromY..fromY+height-1
    /// with their top-left at (x, y); all of them lie inside both pictures.
    void orPart(int x, int y, const BitImage& source, int fromX, int fromY, int width, int height);

    bool operator==(const BitImage&) const = default;

private:
    /// Where a row starts: in size_t, as a picture of 2 GiB and more is possible.
    std::size_t offset(int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(stride());
    }

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_bits;
};

} // namespace marlet
