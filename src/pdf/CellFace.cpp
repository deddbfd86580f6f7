#include "CellFace.h"

#include <cmath>
#include <cstdlib>

namespace marlet {

namespace {

// The em of a font made with no height: 12 points at 600 dpi.
constexpr int DefaultEmPixels = 100;

} // namespace

CellFace::CellFace(std::shared_ptr<const FontFace> face, int height, int width)
    : m_face(std::move(face)) {
    const FaceMetrics& metrics = m_face->metrics();
    const double cellUnits = metrics.winAscent + metrics.winDescent;
    if (height > 0) {
        m_unitY = height / cellUnits;
        m_cellHeight = height;
        m_ascent = static_cast<int>(std::lround(height * metrics.winAscent / cellUnits));
    } else {
        const int em = height < 0 ? -height : DefaultEmPixels;
        m_unitY = static_cast<double>(em) / metrics.unitsPerEm;
        m_ascent = static_cast<int>(std::lround(metrics.winAscent * m_unitY));
        m_cellHeight = m_ascent + static_cast<int>(std::lround(metrics.winDescent * m_unitY));
    }
    m_unitX = width != 0 && metrics.averageWidth > 0
                  ? static_cast<double>(std::abs(width)) / metrics.averageWidth
                  : m_unitY;
}

int CellFace::advance(std::uint16_t glyph) const {
    return static_cast<int>(std::lround(m_face->advance(glyph) * m_unitX));
}

TextExtent CellFace::extent(std::u16string_view text) const {
    TextExtent extent{0, m_cellHeight};
    for (char16_t c : text)
        extent.width += characterAdvance(c);
    return extent;
}

} // namespace marlet
