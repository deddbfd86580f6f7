#include "PdfPageContent.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace marlet {

namespace {

void appendNumber(ContentBytes& out, int value) {
    char text[16];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out += std::string_view(text, static_cast<std::size_t>(end - text));
}

// Numbers go into the page to four places.
double rounded(double value) {
    return std::round(value * 10000) / 10000;
}

void appendNumber(ContentBytes& out, double value) {
    const double shown = rounded(value);
    if (shown == std::floor(shown) && std::abs(shown) < 1e9) {
        appendNumber(out, static_cast<int>(shown));
        return;
    }
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed, 4).ptr;
    while (end[-1] == '0')
        --end;
    out += std::string_view(text, static_cast<std::size_t>(end - text));
}

template <typename... Numbers>
void appendNumbers(ContentBytes& out, Numbers... numbers) {
    ((appendNumber(out, numbers), out += ' '), ...);
}

// Where a shape ends, as a key: its kind, the line it lies on, and its far end.
std::uint64_t endKey(int kind, int line, int end) {
    return static_cast<std::uint64_t>(kind) << 62 |
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(line)) << 31) |
           (static_cast<std::uint32_t>(end) & 0x7FFFFFFF);
}

} // namespace

void PdfPageContent::start(double scale, double heightPoints, int left, int top) {
    m_graphics.clear();
    m_text.clear();
    m_shapes.clear();
    m_ends.clear();
    m_fonts.clear();
    m_shapeColour = 0;
    m_lineWidth = -1;
    m_state = TextState{};
    // Device pixels, y down, origin at the printable area's corner; round caps and joins
    // as a Windows geometric pen draws them.
    m_graphics += "1 J 1 j ";
    appendNumbers(m_graphics, scale, 0, 0, -scale, left * scale, heightPoints - top * scale);
    m_graphics += "cm\n";
}

void PdfPageContent::placeGlyph(const GlyphStyle& style, GlyphCode code, int x, int y,
                                double naturalAdvance) {
    if (continuesRun(style, code, x, y)) {
        // Move the pen from the glyph's own advance to where this cell starts; cells left
        // blank (spaces, frame strokes) become a gap in the same run.
        // Whole thousandths of an em are short to write; the pen may run ahead of the
        // cell by less than one of them, never behind it, and that never adds up.
        const double ahead = penAhead(x);
        if (ahead >= 0 && ahead < m_state.runUnit) {
            m_state.runAhead = ahead;
        } else {
            const double offset = std::floor(ahead / m_state.runUnit + 1e-9);
            // A pen behind its cell by a rounding error needs no move.
            if (offset != 0) {
                char text[16];
                text[0] = ')';
                char* end =
                    std::to_chars(text + 1, text + sizeof text - 1, static_cast<int>(offset)).ptr;
                *end++ = '(';
                m_text += std::string_view(text, static_cast<std::size_t>(end - text));
            }
            m_state.runAhead = ahead - offset * m_state.runUnit;
        }
    } else {
        endRun();
        startRun(style, code.font, x, y);
    }
    addCode(code, x, naturalAdvance);
}

void PdfPageContent::startRun(const GlyphStyle& style, int font, int x, int y) {
    TextState& s = m_state;
    // The text matrix stays in device pixels, so that runs start at whole numbers; the
    // font size and the horizontal scaling stretch the glyphs to their cells.
    if (font != s.textFont || style.emY != s.textSize) {
        m_text += "/F";
        appendNumber(m_text, font + 1);
        m_text += ' ';
        appendNumbers(m_text, style.emY);
        m_text += "Tf\n";
        s.textFont = font;
        s.textSize = style.emY;
        if (std::find(m_fonts.begin(), m_fonts.end(), font) == m_fonts.end())
            m_fonts.insert(std::upper_bound(m_fonts.begin(), m_fonts.end(), font), font);
    }
    // Rounded up, as the glyph widths are, so that a run never falls short of its cells.
    const double scaling = std::ceil(rounded(style.emX) / rounded(style.emY) * 1e6) / 1e4;
    if (scaling != s.textScaling) {
        appendNumbers(m_text, scaling);
        m_text += "Tz\n";
        s.textScaling = scaling;
    }
    const int baseline = y + style.ascent;
    if (style.turns != 0) {
        // The glyphs' baseline and their up, turned counterclockwise on the page whose y
        // runs down; the baseline lies ascent pixels below the turned cell's top.
        constexpr int Turned[4][4] = {{1, 0, 0, -1}, {0, -1, -1, 0}, {-1, 0, 0, 1}, {0, 1, 1, 0}};
        const int* m = Turned[style.turns % 4];
        appendNumbers(m_text, m[0], m[1], m[2], m[3], x - style.ascent * m[2],
                      y - style.ascent * m[3]);
        m_text += "Tm";
        // The next upright run sets its whole matrix again.
        s.lineStarted = false;
    } else if (!s.lineStarted) {
        // The page matrix turned y down; the text matrix turns the glyphs upright again.
        appendNumbers(m_text, 1, 0, 0, -1, x, baseline);
        m_text += "Tm";
        s.lineStarted = true;
    } else {
        appendNumbers(m_text, x - s.lineX, s.lineBaseline - baseline);
        m_text += "Td";
    }
    s.lineX = x;
    s.lineBaseline = baseline;
    m_text += "[(";
    s.runAhead = 0;
    s.runUnit = style.emX / 1000;
    s.inRun = true;
    s.runStyle = style;
    s.runFont = font;
    s.runY = y;
}

void PdfPageContent::endRun() {
    if (m_state.inRun) {
        m_text += ")]TJ\n";
        m_state.inRun = false;
    }
}

bool PdfPageContent::joinShape(const Shape& shape) {
    // A stroke or rule that starts where an earlier one of the same pen and line ended
    // extends it: the cells of a frame draw one line in many pieces. Keys of shapes that
    // grew since stay behind; the shape itself is checked, line and end, before it is
    // extended.
    auto extend = [&](std::uint64_t key, auto&& fits, auto&& grow, std::uint64_t newKey) {
        // A line drawn cell after cell continues the shape just drawn: no need to look.
        std::size_t index = m_shapes.size() - 1;
        if (m_shapes.empty() || !fits(m_shapes.back())) {
            std::optional<std::size_t> found = m_ends.find(key);
            if (!found || !fits(m_shapes[*found]))
                return false;
            index = *found;
        }
        grow(m_shapes[index]);
        m_ends.set(newKey, index);
        return true;
    };
    if (shape.stroke) {
        auto samePen = [&](const Shape& s) { return s.stroke && s.width == shape.width; };
        if (shape.x0 == shape.x1 && shape.y1 > shape.y0)
            return extend(
                endKey(0, shape.x0, shape.y0),
                [&](const Shape& s) {
                    return samePen(s) && s.x0 == shape.x0 && s.x1 == shape.x0 && s.y1 == shape.y0;
                },
                [&](Shape& s) { s.y1 = shape.y1; }, endKey(0, shape.x0, shape.y1));
        if (shape.y0 == shape.y1 && shape.x1 > shape.x0)
            return extend(
                endKey(1, shape.y0, shape.x0),
                [&](const Shape& s) {
                    return samePen(s) && s.y0 == shape.y0 && s.y1 == shape.y0 && s.x1 == shape.x0;
                },
                [&](Shape& s) { s.x1 = shape.x1; }, endKey(1, shape.y0, shape.x1));
        return false;
    }
    // Fills: a rule continuing downwards in the same columns, or across in the same rows.
    return extend(
               endKey(2, shape.x0, shape.y0),
               [&](const Shape& s) {
                   return !s.stroke && s.x0 == shape.x0 && s.x1 == shape.x1 && s.y1 == shape.y0;
               },
               [&](Shape& s) { s.y1 = shape.y1; }, endKey(2, shape.x0, shape.y1)) ||
           extend(
               endKey(3, shape.y0, shape.x0),
               [&](const Shape& s) {
                   return !s.stroke && s.y0 == shape.y0 && s.y1 == shape.y1 && s.x1 == shape.x0;
               },
               [&](Shape& s) { s.x1 = shape.x1; }, endKey(3, shape.y0, shape.x1));
}

void PdfPageContent::fill(int left, int top, int width, int height, std::uint32_t rgb) {
    if (rgb != m_shapeColour)
        flushShapes();
    m_shapeColour = rgb;
    Shape shape{false, left, top, left + width, top + height, 0};
    if (joinShape(shape))
        return;
    m_shapes.push_back(shape);
    m_ends.set(endKey(2, shape.x0, shape.y1), m_shapes.size() - 1);
    m_ends.set(endKey(3, shape.y0, shape.x1), m_shapes.size() - 1);
}

void PdfPageContent::stroke(int x0, int y0, int x1, int y1, int width) {
    // Strokes take the pen's black; fills of another colour come first, in order.
    if (m_shapeColour != 0)
        flushShapes();
    m_shapeColour = 0;
    Shape shape{true, x0, y0, x1, y1, width};
    if (joinShape(shape))
        return;
    m_shapes.push_back(shape);
    if (x0 == x1 && y1 > y0)
        m_ends.set(endKey(0, x0, y1), m_shapes.size() - 1);
    else if (y0 == y1 && x1 > x0)
        m_ends.set(endKey(1, y0, x1), m_shapes.size() - 1);
}

void PdfPageContent::flushShapes() {
    if (m_shapes.empty())
        return;
    bool anyFill = false;
    for (const Shape& shape : m_shapes)
        anyFill = anyFill || !shape.stroke;
    if (anyFill) {
        for (int shift : {16, 8, 0})
            appendNumbers(m_graphics, ((m_shapeColour >> shift) & 0xFF) / 255.0);
        m_graphics += "rg\n";
        for (const Shape& shape : m_shapes) {
            if (shape.stroke)
                continue;
            appendNumbers(m_graphics, shape.x0, shape.y0, shape.x1 - shape.x0, shape.y1 - shape.y0);
            m_graphics += "re\n";
        }
        m_graphics += "f\n";
    }
    bool anyStroke = false;
    int penX = 0;
    int penY = 0;
    for (const Shape& shape : m_shapes) {
        if (!shape.stroke)
            continue;
        if (!anyStroke) {
            // Strokes run between pixel centres: half a pixel over, their ends are whole.
            m_graphics += "q 1 0 0 1 .5 .5 cm\n";
        }
        if (shape.width != m_lineWidth) {
            // A path is stroked with the pen width in force when it is painted, so the
            // strokes of the earlier pen are painted first.
            if (anyStroke)
                m_graphics += "S\n";
            appendNumbers(m_graphics, shape.width);
            m_graphics += "w\n";
            m_lineWidth = shape.width;
        } else if (anyStroke && shape.x0 == penX && shape.y0 == penY) {
            // A frame's corner: round joins paint what two round caps would.
            m_graphics.back() = ' ';
            appendNumbers(m_graphics, shape.x1, shape.y1);
            m_graphics += "l\n";
            penX = shape.x1;
            penY = shape.y1;
            continue;
        }
        appendNumbers(m_graphics, shape.x0, shape.y0);
        m_graphics += "m ";
        appendNumbers(m_graphics, shape.x1, shape.y1);
        m_graphics += "l\n";
        penX = shape.x1;
        penY = shape.y1;
        anyStroke = true;
    }
    if (anyStroke) {
        m_graphics += "S Q\n";
        m_lineWidth = -1; // Q restored the width from before
    }
    m_shapes.clear();
    m_ends.clear();
}

std::string_view PdfPageContent::finish(std::string_view overlay) {
    flushShapes();
    endRun();
    if (!m_text.empty()) {
        m_graphics += "0 g\nBT\n";
        m_graphics += m_text.view();
        m_graphics += "ET\n";
    }
    m_graphics += overlay;
    return m_graphics.view();
}

} // namespace marlet
