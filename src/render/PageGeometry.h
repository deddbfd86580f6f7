#pragma once

#include "PageDevice.h"

#include <cstdint>

namespace marlet {

/// What the fonts page shows for the chosen font and margins.
struct PageFigures {
    std::int32_t charsPerLine = 0;
    std::int32_t linesPerPage = 0;
    bool monospace = false;
};

/// Margins in whole millimetres.
struct Margins {
    int top = 0;
    int left = 0;
};

/// The character grid: the cell in printer pixels, the first cell's position, and the
/// printer font that fills a cell at a pitch. A result that does not fit its field fails
/// with "Range check error"; fields stored before it keep their new values.
class PageGeometry {
public:
    explicit PageGeometry(PageDevice& printer) : m_printer(&printer) {}

    /// Measures on another printer from now on; the cell keeps its fields until the next
    /// setcell or setpitch.
    void setPrinter(PageDevice& printer) { m_printer = &printer; }

    std::uint16_t CellWidth = 0;
    std::uint16_t FontHeight = 0;
    std::uint16_t LineHeight = 0;
    std::int32_t OriginX = 0;
    std::int32_t OriginY = 0;

    /// A cell width that a printer language works out itself (exact pitches such as 17.14
    /// cpi, extra space, double width); 0 leaves the cell to the pitch.
    std::uint16_t LanguageCell = 0;
    /// Proportional text a printer language asks for: the font keeps its face's own widths,
    /// stretched so that its average glyph is ProportionalWidth when that is not 0, and each
    /// character advances by its own glyph and ExtraSpace; box figures keep the cell.
    bool Proportional = false;
    std::uint16_t ProportionalWidth = 0;
    std::uint16_t ExtraSpace = 0;

    bool DoubleWidth = false;
    bool Condensed = false;
    std::uint8_t FontCharset = 204;

    /// Horizontal resolution of the printer, read afresh.
    int resx() const;
    /// Vertical resolution of the printer, read afresh.
    int resy() const;

    /// Sets the cell from the sample font and returns its pitch: 12 cpi by 6 lpi for a
    /// 10-point font, else the size of "@" in the canvas font.
    std::uint8_t setcell(int sampleSizePoints);
    /// Leaves the cell and the text to the pitch again, as before any printer language.
    void clearLanguageText() {
        LanguageCell = 0;
        Proportional = false;
        ProportionalWidth = 0;
        ExtraSpace = 0;
    }
    /// Sets CellWidth for a pitch and gives the canvas a font that fills the cell, or one of
    /// the face's own widths for proportional text.
    void setpitch(std::uint8_t pitch);
    /// Gives the canvas the sample font, sets the origin from the margins and returns the
    /// page figures. Landscape exchanges the portrait sheet's width and height and offsets.
    PageFigures checksize(const CanvasFont& sampleFont, Margins margins, Orientation chosen);

    /// Margins that put the first cell at the edge of the printable area.
    Margins defaultMargins() const;
    /// The largest margins, in whole millimetres, that still leave the page one line of
    /// one character in the current cell.
    Margins largestMargins(Orientation chosen) const;

private:
    static FontRequest pitchRequest();
    // Apart from setpitch, which jobs call for nearly every byte, so that its usual case of
    // the same cell and face stays a few compares.
    [[gnu::noinline]] void workOutCell(std::uint8_t pitch, int resolution);
    [[gnu::noinline]] void takeFace(const std::string& face);

    PageDevice* m_printer;
    // The last cell setpitch worked out, and what it was worked out from.
    std::uint8_t m_lastPitch = 0;
    bool m_lastDoubleWidth = false;
    int m_lastResolution = 0;
    std::uint16_t m_lastCellWidth = 0;
    // The request setpitch sends, kept so that its face is copied only when it changes.
    FontRequest m_request = pitchRequest();
};

/// The job font as a job first makes it: the face and style at the cell's height and
/// width, fixed pitch, on the ANSI character set until setpitch gives it the job's own.
FontRequest jobFontRequest(const std::string& face, FontStyle style, std::uint16_t height,
                           std::uint16_t width);

/// The canvas font a point size gives on a device of that vertical resolution.
CanvasFont fontFromPoints(const std::string& face, int points, FontStyle style, int resolutionY);

} // namespace marlet
