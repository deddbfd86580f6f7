#pragma once

#include "CellFont.h"
#include "render/PageDevice.h"

#include <QColor>
#include <QTransform>

#include <map>
#include <memory>
#include <string_view>
#include <tuple>

class QPainter;

namespace marlet {

/// The drawing half of a printer canvas on a QPainter, keeping the GDI rules the grid
/// relies on: thin lines leave out their end point, fills their right column and bottom
/// row, text fills the font's cell. Fonts and measurements work with no page attached.
class QtCanvas {
public:
    /// A font of height 0 gets an em of defaultEmPixels.
    explicit QtCanvas(int defaultEmPixels);

    /// Draws on a page whose painter has its origin at the printable area's top-left;
    /// nullptr when no page is open.
    void attach(QPainter* painter);

    /// Makes a font the canvas font; fonts made before are kept for reuse.
    void setFont(const CanvasFont& font);
    /// The canvas font as it was given.
    const CanvasFont& font() const { return m_font; }
    /// Width (rounded advances) and height (the cell) of a text in the canvas font.
    TextExtent textExtent(std::u16string_view text) const;
    /// Draws one character with its cell's top-left at (x, y), no background.
    void textOut(int x, int y, char16_t character);

    /// Sets the pen; 0 and 1 both draw one pixel.
    void setPenWidth(int width);
    /// Moves the current position without drawing.
    void moveTo(int x, int y);
    /// Draws from the current position to (x, y) and moves there.
    void lineTo(int x, int y);
    /// Sets the colour fillRect uses.
    void setFillColor(const QColor& color) { m_fillColor = color; }
    /// Fills columns left..right-1 and rows top..bottom-1.
    void fillRect(int left, int top, int right, int bottom);
    /// Draws a bit image's inked dots over columns left..right-1 and rows top..bottom-1.
    void drawImage(int left, int top, int right, int bottom, const BitImage& image);

private:
    using FontKey = std::tuple<std::string, int, int, bool, bool, bool, bool>;

    const CellFont& cellFont() const;
    void useBaseTransform();
    void applyPen();
    void thinLine(int x0, int y0, int x1, int y1);

    int m_defaultEm;
    CanvasFont m_font;
    mutable std::map<FontKey, std::unique_ptr<CellFont>> m_fonts;
    mutable const CellFont* m_cellFont = nullptr;

    QPainter* m_painter = nullptr;
    QTransform m_base;
    bool m_glyphTransform = false;
    int m_penWidth = 0;
    int m_x = 0;
    int m_y = 0;
    QColor m_fillColor = Qt::black;
};

} // namespace marlet
