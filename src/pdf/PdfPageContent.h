#pragma once

#include "ShapeEnds.h"

#include <cstdint>
#include <string>
#include <vector>

namespace marlet {

/// How a run of glyphs is set: the font's number in the file, its em in device pixels
/// across and down, and the pixels from the cell's top to the baseline.
struct GlyphStyle {
    int font = -1;
    double emX = 0;
    double emY = 0;
    int ascent = 0;

    bool operator==(const GlyphStyle&) const = default;
};

/// The content stream of one page, in device pixels with y down. Rules, fills and strokes
/// come first, in their order, with the pieces that the cells of a frame draw joined into
/// whole lines; the text follows in black, one run per line and font, so that shading
/// never hides a character.
class PdfPageContent {
public:
    /// Starts a page whose device pixels map onto PDF points by scale, the printable
    /// area's corner at (left, top) pixels on a sheet heightPoints tall.
    PdfPageContent(double scale, double heightPoints, int left, int top);

    /// Places a glyph with its cell's top-left corner at (x, y). naturalAdvance is the
    /// glyph's own advance in pixels, unrounded. Blank cells are simply not placed.
    void glyph(const GlyphStyle& style, int x, int y, std::uint16_t glyph, double naturalAdvance);
    /// Fills a rectangle in an RGB colour.
    void fill(int left, int top, int width, int height, std::uint32_t rgb);
    /// Strokes a segment between pixel centres with a round-capped pen.
    void stroke(int x0, int y0, int x1, int y1, int width);

    /// The finished stream; the object is spent.
    std::string finish();

private:
    struct Shape {
        bool stroke = false;
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // a fill: left, top, right, bottom
        int width = 0;
    };
    bool joinShape(const Shape& shape);
    void flushShapes();
    void startRun(const GlyphStyle& style, int x, int y);
    void endRun();

    std::string m_graphics;
    std::string m_text;
    std::vector<Shape> m_shapes;
    ShapeEnds m_ends;
    std::uint32_t m_shapeColour = 0;
    int m_lineWidth = -1;

    bool m_inRun = false;
    GlyphStyle m_runStyle;
    int m_textFont = -1;
    double m_textSize = 0;
    double m_textScaling = 100;
    bool m_lineStarted = false;
    int m_lineX = 0;
    int m_lineBaseline = 0;
    int m_runY = 0;
    int m_lastX = 0;
    double m_lastAdvance = 0;
    double m_runAhead = 0; // pixels the run's pen is past where its last cell began
    double m_runUnit = 1;  // pixels in a thousandth of the run's em
};

} // namespace marlet
