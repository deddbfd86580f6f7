#pragma once

#include "render/PageDevice.h"

#include <QFont>
#include <QRawFont>

#include <string_view>

namespace marlet {

/// One canvas font as a printer driver makes it: the face that the PDF writer would print
/// the name in, at a whole-pixel em, and the stretch that makes its glyphs fill the GDI cell.
class CellFont {
public:
    /// Resolves the face and its OS/2 metrics; a height of 0 takes defaultEmPixels.
    CellFont(const CanvasFont& font, int defaultEmPixels);

    /// The face at the whole-pixel em, styled; draw it under scaleX() and scaleY().
    const QFont& font() const { return m_font; }
    /// Horizontal stretch from the whole-pixel em to the cell.
    double scaleX() const { return m_scaleX; }
    /// Vertical stretch from the whole-pixel em to the cell.
    double scaleY() const { return m_scaleY; }
    /// Distance from the cell's top to the baseline, in device pixels (tmAscent).
    int ascent() const { return m_ascent; }
    /// Cell height in device pixels (tmHeight: ascent plus descent).
    int cellHeight() const { return m_cellHeight; }
    /// Family that fontconfig chose for the face asked for.
    QString resolvedFamily() const { return m_raw.familyName(); }
    /// Sum of the glyph advances, each rounded to whole pixels as GDI does.
    int textWidth(std::u16string_view text) const;

private:
    QFont m_font;
    QRawFont m_raw;
    double m_scaleX = 1;
    double m_scaleY = 1;
    int m_ascent = 0;
    int m_cellHeight = 0;
};

} // namespace marlet
