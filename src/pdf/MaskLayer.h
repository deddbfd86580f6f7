#pragma once

#include "DotGrid.h"
#include "render/BitImage.h"

#include <cstdint>

namespace marlet {

/// A run of dots along both sides of the page, right and bottom exclusive.
struct DotBox {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;

    bool empty() const { return right <= left || bottom <= top; }
};

/// A picture ready for the page: its dots and the device pixels it covers, which need not
/// be whole when a dot is not.
struct PlacedMask {
    BitImage dots;
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

/// The pictures of a page whose dots fall on one grid, ored into one picture that grows to
/// hold them (in steps, so that a line of pictures drawn a column at a time is not copied
/// a column at a time), never past the sheet.
class MaskLayer {
public:
    /// A layer on the grids across and down, for dots within sheet.
    MaskLayer(const DotGrid& across, const DotGrid& down, const DotBox& sheet);

    /// Whether the layer's dots fall on these grids.
    bool holds(const DotGrid& across, const DotGrid& down) const {
        return across == m_across && down == m_down;
    }
    /// Whether nothing has been drawn since the layer was made or last taken.
    bool empty() const { return m_used.empty(); }
    /// How many of its sides are on device pixels rather than the pictures' own dots.
    int devicePixelSides() const { return (m_across == DevicePixels) + (m_down == DevicePixels); }

    /// Ors in the dots of image that fall within place (a box of the grid inside the sheet),
    /// image's top-left dot being at (originX, originY); false, with nothing done, when the
    /// layer would have to grow past maxDots.
    bool add(const BitImage& image, std::int64_t originX, std::int64_t originY, const DotBox& place,
             std::int64_t maxDots);
    /// The dots drawn so far, cut to the ones used; the layer is empty again.
    PlacedMask take();

private:
    DotGrid m_across;
    DotGrid m_down;
    DotBox m_sheet;
    DotBox m_held; // the dots m_dots covers
    DotBox m_used;
    BitImage m_dots;
};

} // namespace marlet
