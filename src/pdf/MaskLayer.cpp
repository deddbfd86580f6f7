#include "MaskLayer.h"

#include <algorithm>

namespace marlet {

namespace {

// The box of both.
DotBox joined(const DotBox& a, const DotBox& b) {
    if (a.empty())
        return b;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

bool contains(const DotBox& outer, const DotBox& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Grows held towards place by at least its own size on each side that must grow, so that
// pictures added a column or a stripe at a time are copied a logarithmic number of times.
DotBox grown(const DotBox& held, const DotBox& place, const DotBox& sheet) {
    if (held.empty())
        return place;
    DotBox out = joined(held, place);
    const std::int64_t width = held.right - held.left;
    const std::int64_t height = held.bottom - held.top;
    if (place.left < held.left)
        out.left = std::max(sheet.left, std::min(out.left, held.left - width));
    if (place.right > held.right)
        out.right = std::min(sheet.right, std::max(out.right, held.right + width));
    if (place.top < held.top)
        out.top = std::max(sheet.top, std::min(out.top, held.top - height));
    if (place.bottom > held.bottom)
        out.bottom = std::min(sheet.bottom, std::max(out.bottom, held.bottom + height));
    return out;
}

std::int64_t area(const DotBox& box) {
    return (box.right - box.left) * (box.bottom - box.top);
}

} // namespace

MaskLayer::MaskLayer(const DotGrid& across, const DotGrid& down, const DotBox& sheet)
    : m_across(across), m_down(down), m_sheet(sheet) {
}

bool MaskLayer::add(const BitImage& image, std::int64_t originX, std::int64_t originY,
                    const DotBox& place, std::int64_t maxDots) {
    if (!contains(m_held, place)) {
        DotBox held = grown(m_held, place, m_sheet);
        if (area(held) > maxDots) {
            // Short of the sheet's edge, the steps give way before the limit does.
            held = joined(m_held, place);
            if (!m_held.empty() && area(held) > maxDots)
                return false;
        }
        BitImage dots(static_cast<int>(held.right - held.left),
                      static_cast<int>(held.bottom - held.top));
        if (!m_used.empty())
            dots.orPart(static_cast<int>(m_used.left - held.left),
                        static_cast<int>(m_used.top - held.top), m_dots,
                        static_cast<int>(m_used.left - m_held.left),
                        static_cast<int>(m_used.top - m_held.top),
                        static_cast<int>(m_used.right - m_used.left),
                        static_cast<int>(m_used.bottom - m_used.top));
        m_dots = std::move(dots);
        m_held = held;
    }
    m_dots.orPart(
        static_cast<int>(place.left - m_held.left), static_cast<int>(place.top - m_held.top), image,
        static_cast<int>(place.left - originX), static_cast<int>(place.top - originY),
        static_cast<int>(place.right - place.left), static_cast<int>(place.bottom - place.top));
    m_used = joined(m_used, place);
    return true;
}

PlacedMask MaskLayer::take() {
    PlacedMask out;
    if (m_used.empty())
        return out;
    if (contains(m_used, m_held)) {
        out.dots = std::move(m_dots);
    } else {
        out.dots = BitImage(static_cast<int>(m_used.right - m_used.left),
                            static_cast<int>(m_used.bottom - m_used.top));
        out.dots.orPart(0, 0, m_dots, static_cast<int>(m_used.left - m_held.left),
                        static_cast<int>(m_used.top - m_held.top), out.dots.width(),
                        out.dots.height());
    }
    out.left = m_across.start(m_used.left);
    out.right = m_across.start(m_used.right);
    out.top = m_down.start(m_used.top);
    out.bottom = m_down.start(m_used.bottom);
    m_dots = BitImage();
    m_held = DotBox{};
    m_used = DotBox{};
    return out;
}

} // namespace marlet
