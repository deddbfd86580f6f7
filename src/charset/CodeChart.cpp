#include "CodeChart.h"

#include "base/Rounding.h"

namespace marlet {

namespace {

constexpr std::uint16_t FirstFigure = 0xB0;
constexpr std::uint16_t LastFigure = 0xDF;

} // namespace

ChartCell ChartCell::forScreen(int screenWidth, int screenHeight) {
    return {roundToField<int>(screenWidth / 50.0L) - 1,
            roundToField<int>(screenHeight / 25.0L) - 1};
}

char16_t chartCharacter(std::uint16_t code) {
    // DEL has no glyph of its own in any face: the box a face draws for it means nothing.
    if (code == 0x7F)
        return u'\u2302';
    return static_cast<char16_t>(code);
}

bool isChartFigure(std::uint16_t code, std::uint8_t marker) {
    return marker == BoxDrawingMarker && code >= FirstFigure && code <= LastFigure;
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
            if (isChartFigure(code, marker)) {
                // The face's own figures differ in height and weight from cell to cell, so
                // the rows of frames would not line up; lines drawn to the cell do.
                const int width = surface.textWidth(u' ');
                surface.drawFigure(x, y, width, cell.height, code);
                x += width;
            } else {
                char16_t character = chartCharacter(code);
                surface.drawText(x, y, character);
                x += surface.textWidth(character);
            }
        }
    }
}

} // namespace marlet
