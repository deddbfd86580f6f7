#pragma once

#include "CodePageTable.h"

#include <cstdint>
#include <string_view>

namespace marlet {

/// One character cell of the code chart, worked out from the screen so that the chart
/// keeps its proportions on any display.
struct ChartCell {
    int width = 0;
    int height = 0;

    /// The cell for a screen of that many pixels: a fiftieth of its width and a
    /// twenty-fifth of its height, each less one pixel.
    static ChartCell forScreen(int screenWidth, int screenHeight);

    /// The chart window's outer size, frame and caption included.
    int windowWidth() const { return 33 * width; }
    int windowHeight() const { return 17 * height; }

    bool operator==(const ChartCell&) const = default;
};

/// Where the chart draws: a font of the chart cell in the sample face, made for a
/// character set, text placed by its top-left corner, and box-drawing figures.
class ChartSurface {
public:
    virtual ~ChartSurface() = default;

    /// Makes the chart font anew for a character set and draws with it from now on.
    virtual void selectFont(std::uint8_t charset) = 0;
    /// Width of a character in the chart font.
    virtual int textWidth(char16_t character) = 0;
    /// Draws a character with its top-left corner at (x, y).
    virtual void drawText(int x, int y, char16_t character) = 0;
    /// Draws the DOS box-drawing figure (0xB0 to 0xDF) over the cell at (x, y) as a page
    /// prints it, so that its strokes sit where those of the figures beside it do.
    virtual void drawFigure(int x, int y, int width, int height, std::uint16_t figure) = 0;
};

/// The character the chart shows for a table entry that is not a box-drawing figure: DEL
/// shows the house the DOS screen font draws for it, every other code itself.
char16_t chartCharacter(std::uint16_t code);

/// Whether a table entry is one of the DOS box-drawing figures the chart draws as lines.
bool isChartFigure(std::uint16_t code, std::uint8_t marker);

/// Draws the chart file's bytes through the table: code 10 moves down a line, 13 back to
/// the left, 32 on by a space; other bytes below 32 draw nothing. A box-drawing figure
/// fills a cell as wide as a space and as tall as the chart cell. The font starts on
/// character set 0 and is made anew only when a drawn byte's marker differs from it.
void drawCodeChart(std::string_view bytes, const CodePageTable& table, ChartCell cell,
                   ChartSurface& surface);

} // namespace marlet
