#pragma once

#include "ContentBytes.h"
#include "PdfFontSet.h"
#include "ShapeEnds.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace marlet {

/// How a run of glyphs is set: the face's number in the file, its em in device pixels
/// across and down, the pixels from the cell's top to the baseline, and the quarter turns
/// counterclockwise of the text about the cell's top-left corner.
struct GlyphStyle {
    int font = -1;
    double emX = 0;
    double emY = 0;
    int ascent = 0;
    int turns = 0;

    bool operator==(const GlyphStyle&) const = default;
};

/// The content stream of a page, in device pixels with y down. Rules, fills and strokes
/// come first, in their order, with the pieces that the cells of a frame draw joined into
/// whole lines; the text follows in black, one run per line and font, so that shading
/// never hides a character. One object serves page after page and keeps its buffers.
class PdfPageContent {
public:
    /// Starts a page whose device pixels map onto PDF points by scale, the printable
    /// area's corner at (left, top) pixels on a sheet heightPoints tall.
    void start(double scale, double heightPoints, int left, int top);

    /// Places a glyph with its cell's top-left corner at (x, y). naturalAdvance is the
    /// glyph's own advance in pixels, unrounded. Blank cells are simply not placed.
    void glyph(const GlyphStyle& style, GlyphCode code, int x, int y, double naturalAdvance) {
        // Most glyphs are the next cell of a monospaced line: the pen is already there.
        if (continuesRun(style, code, x, y)) {
            const double ahead = penAhead(x);
            if (ahead >= 0 && ahead < m_state.runUnit) {
                m_state.runAhead = ahead;
                addCode(code, x, naturalAdvance);
                return;
            }
        }
        placeGlyph(style, code, x, y, naturalAdvance);
    }
    /// Fills a rectangle in an RGB colour.
    void fill(int left, int top, int width, int height, std::uint32_t rgb);
    /// Strokes a segment between pixel centres with a round-capped pen.
    void stroke(int x0, int y0, int x1, int y1, int width);

    /// The finished stream with overlay painted over everything; it lasts until start().
    std::string_view finish(std::string_view overlay);
    /// The fonts the page's text names, in ascending order.
    const std::vector<int>& fonts() const { return m_fonts; }

private:
    struct Shape {
        bool stroke = false;
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // a fill: left, top, right, bottom
        int width = 0;
    };
    // Where the page's text stands; each page starts from these values.
    struct TextState {
        bool inRun = false;
        GlyphStyle runStyle;
        int runFont = -1;
        int textFont = -1;
        double textSize = 0;
        double textScaling = 100;
        bool lineStarted = false;
        int lineX = 0;
        int lineBaseline = 0;
        int runY = 0;
        int lastX = 0;
        double lastAdvance = 0;
        double runAhead = 0; // pixels the run's pen is past where its last cell began
        double runUnit = 1;  // pixels in a thousandth of the run's em
    };
    bool continuesRun(const GlyphStyle& style, GlyphCode code, int x, int y) const {
        // A turned glyph stands alone: its run would not run along the line.
        const TextState& s = m_state;
        return s.inRun && code.font == s.runFont && y == s.runY && x > s.lastX &&
               style == s.runStyle && style.turns == 0;
    }
    // How far the pen, moved on by the last glyph's own advance, is past the cell at x.
    double penAhead(int x) const {
        return m_state.runAhead - ((x - m_state.lastX) - m_state.lastAdvance);
    }
    void addCode(GlyphCode code, int x, double naturalAdvance) {
        // Codes are bytes that a literal string holds as they stand.
        m_text += code.code;
        m_state.lastX = x;
        m_state.lastAdvance = naturalAdvance;
    }
    void placeGlyph(const GlyphStyle& style, GlyphCode code, int x, int y, double naturalAdvance);
    bool joinShape(const Shape& shape);
    void flushShapes();
    void startRun(const GlyphStyle& style, int font, int x, int y);
    void endRun();

    ContentBytes m_graphics;
    ContentBytes m_text;
    std::vector<Shape> m_shapes;
    ShapeEnds m_ends;
    std::vector<int> m_fonts;
    std::uint32_t m_shapeColour = 0;
    int m_lineWidth = -1;
    TextState m_state;
};

} // namespace marlet
