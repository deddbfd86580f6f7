#include "CodeChart.h"

#include "base/Rounding.h"

#include <array>

namespace marlet {

namespace {

// The DOS line-drawing block 0xB0 to 0xDF as the same figures in Unicode.
constexpr std::array<char16_t, 48> DosFigures = {
    u'░', u'▒', u'▓', u'│', u'┤', u'╡', u'╢', u'╖', u'╕', u'╣', u'║', u'╗', u'╝', u'╜', u'╛', u'┐',
    u'└', u'┴', u'┬', u'├', u'─', u'┼', u'╞', u'╟', u'╚', u'╔', u'╩', u'╦', u'╠', u'═', u'╬', u'╧',
    u'╨', u'╤', u'╥', u'╙', u'╘', u'╒', u'╓', u'╫', u'╪', u'┘', u'┌', u'█', u'▄', u'▌', u'▐', u'▀',
};

constexpr std::uint16_t FirstFigure = 0xB0;

} // namespace

ChartCell ChartCell::forScreen(int screenWidth, int screenHeight) {
    return {roundToField<int>(screenWidth / 50.0L) - 1,
            roundToField<int>(screenHeight / 25.0L) - 1};
}

char16_t chartCharacter(std::uint16_t code, std::uint8_t marker) {
    // DEL has no glyph of its own in any face: the box a face draws for it means nothing.
    if (code == 0x7F)
        return u'\u2302';
    if (marker == BoxDrawingMarker && code >= FirstFigure && code < FirstFigure + DosFigures.size())
        return DosFigures[code - FirstFigure];
    return static_cast<char16_t>(code);
}

void drawCodeChart(std::string_view bytes, const CodePageTable& table, ChartCell cell,
                   ChartSurface& surface) {
    std::uint8_t charset = 0;
    surface.selectFont(charset);
    int x = 0;
    int y = 0;
    for (char c : bytes) {
        auto byte = static_cast<std::uint8_t>(c);
        std::uint16_t code = table.code(byte);
        if (code == 10) {
            // A line feed does not return to the left: chart lines end with CR LF.
            y += cell.height;
        } else if (code == 13) {
            x = 0;
        } else if (code == 32) {
            x += surface.textWidth(u' ');
        } else if (byte >= 32) {
            std::uint8_t marker = table.marker(byte);
            if (marker != charset) {
                charset = marker;
                surface.selectFont(charset);
            }
            char16_t character = chartCharacter(code, marker);
            surface.drawText(x, y, character);
            x += surface.textWidth(character);
        }
    }
}

} // namespace marlet
