#include "QtCanvas.h"

#include "base/Error.h"
#include "render/ThinLine.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace marlet {

namespace {

// A picture's edge on the page being drawn. Edges miles beyond the page are held where a
// picture's width still fits an int; only the part on the page is ever drawn.
int devicePixel(double position) {
    constexpr double Limit = 1 << 30;
    return static_cast<int>(std::lround(std::clamp(position, -Limit, Limit)));
}

} // namespace

QtCanvas::QtCanvas(int defaultEmPixels) : m_defaultEm(defaultEmPixels) {
}

void QtCanvas::attach(QPainter* painter) {
    m_painter = painter;
    m_glyphTransform = false;
    if (!m_painter)
        return;
    m_base = m_painter->transform();
    // Box-drawing lines and shades must land on whole pixels; glyphs may stay smooth.
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setRenderHint(QPainter::TextAntialiasing, true);
    m_painter->setBackgroundMode(Qt::TransparentMode);
    m_painter->setBrush(Qt::NoBrush);
    m_painter->setFont(cellFont().font());
    applyPen();
}

const CellFont& QtCanvas::cellFont() const {
    if (!m_cellFont) {
        FontKey key{m_font.face,           m_font.height,       m_font.width,
                    m_font.style.bold,     m_font.style.italic, m_font.style.underline,
                    m_font.style.strikeout};
        auto found = m_fonts.find(key);
        if (found == m_fonts.end())
            found = m_fonts.emplace(key, std::make_unique<CellFont>(m_font, m_defaultEm)).first;
        m_cellFont = found->second.get();
    }
    return *m_cellFont;
}

void QtCanvas::setFont(const CanvasFont& font) {
    m_font = font;
    m_cellFont = nullptr;
    if (m_painter)
        m_painter->setFont(cellFont().font());
}

TextExtent QtCanvas::textExtent(std::u16string_view text) const {
    const CellFont& cell = cellFont();
    return {cell.textWidth(text), cell.cellHeight()};
}

void QtCanvas::textOut(int x, int y, char16_t character) {
    if (!m_painter)
        return;
    // Each glyph is placed at its own cell under its own stretch, so that rounding never
    // accumulates along an 80-column line.
    const CellFont& cell = cellFont();
    // Turned text turns about the cell's top-left corner; Qt's angles run clockwise.
    QTransform glyph;
    glyph.translate(x, y);
    glyph.rotate(-90.0 * quarterTurns(m_font.escapement));
    glyph.translate(0, cell.ascent());
    glyph.scale(cell.scaleX(), cell.scaleY());
    m_painter->setTransform(glyph * m_base);
    m_glyphTransform = true;
    m_painter->drawText(QPointF(0, 0), QString(QChar(character)));
}

void QtCanvas::useBaseTransform() {
    if (m_glyphTransform) {
        m_painter->setTransform(m_base);
        m_glyphTransform = false;
    }
}

void QtCanvas::applyPen() {
    // Text takes the pen's colour; wide lines take its round ends, as GDI's geometric pens.
    QPen pen(Qt::black, std::max(1, m_penWidth), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    m_painter->setPen(pen);
}

void QtCanvas::setPenWidth(int width) {
    m_penWidth = std::abs(width);
    if (m_painter)
        applyPen();
}

void QtCanvas::moveTo(int x, int y) {
    m_x = x;
    m_y = y;
}

void QtCanvas::lineTo(int x, int y) {
    if (m_painter) {
        useBaseTransform();
        if (m_penWidth <= 1) {
            thinLine(m_x, m_y, x, y);
        } else {
            // The path runs through pixel centres; the pen is centred on it.
            m_painter->drawLine(QPointF(m_x + 0.5, m_y + 0.5), QPointF(x + 0.5, y + 0.5));
        }
    }
    m_x = x;
    m_y = y;
}

void QtCanvas::thinLine(int x0, int y0, int x1, int y1) {
    // The runs the PDF printer fills, so that a page image and a PDF get the same pixels.
    forEachThinLineRun(x0, y0, x1, y1, [&](int left, int top, int width, int height) {
        m_painter->fillRect(QRect(left, top, width, height), Qt::black);
    });
}

void QtCanvas::fillRect(int left, int top, int right, int bottom) {
    if (!m_painter || right <= left || bottom <= top)
        return;
    useBaseTransform();
    m_painter->fillRect(QRect(left, top, right - left, bottom - top), m_fillColor);
}

void QtCanvas::drawImage(int left, int top, int right, int bottom, const BitImage& image) {
    if (!m_painter || right <= left || bottom <= top)
        return;
    useBaseTransform();
    // Scaled here, dot by dot, at the pixels of the page being drawn (a PNG page may have
    // far fewer than the printer the layout is for), and only where the page is: a picture
    // then costs at most the page's pixels, whatever size the stream asked for.
    const QPointF from = m_base.map(QPointF(left, top));
    const QPointF to = m_base.map(QPointF(right, bottom));
    const int targetLeft = devicePixel(from.x());
    const int targetTop = devicePixel(from.y());
    const int targetRight = devicePixel(to.x());
    const int targetBottom = devicePixel(to.y());
    const int visibleLeft = std::max(targetLeft, 0);
    const int visibleTop = std::max(targetTop, 0);
    const int visibleRight = std::min(targetRight, m_painter->device()->width());
    const int visibleBottom = std::min(targetBottom, m_painter->device()->height());
    if (visibleRight <= visibleLeft || visibleBottom <= visibleTop)
        return;
    const BitImage pixels = image.scaledPart(
        targetRight - targetLeft, targetBottom - targetTop, visibleLeft - targetLeft,
        visibleTop - targetTop, visibleRight - visibleLeft, visibleBottom - visibleTop);
    QImage mono(pixels.width(), pixels.height(), QImage::Format_Mono);
    if (mono.isNull())
        throw Error("Out of memory");
    // Qt pads its rows to 32 bits; ours are padded to bytes.
    for (int y = 0; y < pixels.height(); ++y)
        std::copy(pixels.row(y), pixels.row(y) + pixels.stride(), mono.scanLine(y));
    // The blank dots are transparent, the inked ones take the text's black.
    mono.setColorTable({qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 255)});
    m_painter->resetTransform();
    m_painter->drawImage(QPoint(visibleLeft, visibleTop), mono);
    m_painter->setTransform(m_base);
}

} // namespace marlet
