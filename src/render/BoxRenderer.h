#pragma once

#include "PageDevice.h"

#include <array>
#include <cstdint>

namespace marlet {

/// Draws the 48 box-drawing and block characters of the DOS code pages (0xB0-0xDF) as
/// lines and fills sized to the cell, so that strokes of neighbouring cells join into
/// continuous frames.
class BoxRenderer {
public:
    explicit BoxRenderer(PageDevice& printer) : m_printer(&printer) {}

    /// Draws on another printer from now on.
    void setPrinter(PageDevice& printer) { m_printer = &printer; }

    /// Draws the figure of code in the W by H cell at (x, y) and turns code into a space.
    /// Sets the pen width to W / 10 on every call; the shades also set the fill colour.
    void drawFigure(std::int32_t x, std::int32_t y, std::uint16_t& code, std::uint16_t cellWidth,
                    std::uint16_t cellHeight);

private:
    /// Where a cell's strokes run, from its corner: the same for every cell of one size
    /// whose corner has the same parity, as ties round to even.
    struct StrokeOffsets {
        std::array<std::int32_t, 6> across;
        std::array<std::int32_t, 6> down;
    };
    void sizeCell(int width, int height);

    PageDevice* m_printer;
    int m_width = -1;
    int m_height = -1;
    std::array<StrokeOffsets, 2> m_offsets{}; // for even and odd corners
};

} // namespace marlet
