#pragma once

#include "BitImage.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace marlet {

enum class Orientation { Portrait, Landscape };

struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;

    bool operator==(const FontStyle&) const = default;
};

/// What a font is made from, in the order a Windows printer driver takes it. A positive
/// height is the cell height (internal leading included); a width of 0 keeps the face's
/// own proportions, any other width stretches the average glyph to it. The escapement is
/// the angle of the text in tenths of a degree counterclockwise: each character turns
/// about its cell's top-left corner, where it is placed; the devices turn text by quarter
/// turns, an angle between them to the nearest.
struct FontRequest {
    int height = 0;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    std::uint8_t charset = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string face;

    bool operator==(const FontRequest&) const = default;
};

/// The quarter turns counterclockwise, 0 to 3, nearest to a font's escapement.
inline int quarterTurns(int escapement) {
    const long long turns = (static_cast<long long>(escapement) % 3600 + 3600 + 450) / 900;
    return static_cast<int>(turns % 4);
}

/// The font the canvas draws and measures with. height follows the font request's sign
/// rule; a negative height is the em size, as a point size gives it. escapement turns the
/// text as the font request's does; measurements are along the text.
struct CanvasFont {
    std::string face;
    int height = 0;
    int width = 0;
    FontStyle style;
    std::uint8_t charset = 1;
    int escapement = 0;

    bool operator==(const CanvasFont&) const = default;
};

struct TextExtent {
    int width = 0;
    int height = 0;
};

/// How much of a run of characters was drawn, and whether the line filled with its last.
struct DrawnRun {
    std::size_t count = 0;
    bool lineFull = false;
};

/// The paper as a portrait sheet: its size and the unprintable strips at its left and top.
struct PhysicalPage {
    int width = 0;
    int height = 0;
    int offsetX = 0;
    int offsetY = 0;
};

struct PageSize {
    int width = 0;
    int height = 0;
};

/// A printer and its drawing canvas, in device pixels of the printable area (origin at its
/// top-left corner, y down). Lines leave out their end point, fills their right column and
/// bottom row; a pen of width 0 draws one pixel, wider pens are centred with round ends.
class PageDevice {
public:
    virtual ~PageDevice() = default;

    /// Orientation of the next document.
    virtual Orientation orientation() const = 0;
    /// Sets the orientation of the next document; refused while a document is open.
    virtual void setOrientation(Orientation orientation) = 0;

    /// Starts a titled document and its first page.
    virtual void beginDocument(const std::string& title) = 0;
    /// Ends the page and starts the next one.
    virtual void newPage() = 0;
    /// Ends the page and the document.
    virtual void endDocument() = 0;
    virtual bool documentOpen() const = 0;

    /// Pixels per inch across.
    virtual int resolutionX() const = 0;
    /// Pixels per inch down.
    virtual int resolutionY() const = 0;
    /// Printable width and height in the current orientation.
    virtual PageSize pageSize() const = 0;
    /// Paper size and unprintable offsets of the portrait sheet.
    virtual PhysicalPage physicalPage() const = 0;
    /// Puts paper of that size, as a portrait sheet in device pixels, under the pages
    /// started from now on, with the same unprintable strips; the page sizes report it at
    /// once. False when the device cannot change its paper: it keeps its own.
    virtual bool setPaper(PageSize /*sheet*/) { return false; }

    /// Makes a font from the request; the canvas font takes its face, height, width,
    /// style (weight 700 or more is bold), character set and escapement.
    virtual void createFont(const FontRequest& request) = 0;
    /// The font the canvas draws with; valid until the font next changes.
    virtual const CanvasFont& canvasFont() const = 0;
    /// Gives the canvas a font as it stands (the sample font, a style or size change).
    virtual void setCanvasFont(const CanvasFont& font) = 0;
    /// Width and height of a text in the canvas font.
    virtual TextExtent textExtent(std::u16string_view text) const = 0;

    /// Draws one character with its cell's top-left corner at (x, y), no background.
    virtual void textOut(int x, int y, char16_t character) = 0;
    /// Draws a run of characters into cells pitch apart, the first at (x, y), as textOut
    /// draws each, and stops after the first character past whose cell another as wide
    /// would end beyond right: the line is full there.
    virtual DrawnRun textRun(int x, int y, int pitch, std::u16string_view text, int right) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const int cellX = x + static_cast<int>(i) * pitch;
            textOut(cellX, y, text[i]);
            if (fillsLine(cellX, pitch, textExtent(text.substr(i, 1)).width, right))
                return {i + 1, true};
        }
        return {text.size(), false};
    }
    /// Adds one character to a path at (x, y) and closes the path with no stroke or fill.
    virtual void pathText(int x, int y, char16_t character) = 0;

    virtual void setPenWidth(int width) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    /// Fills columns left..right-1 and rows top..bottom-1.
    virtual void fillRect(int left, int top, int right, int bottom) = 0;

    /// Draws a bit image stretched over columns left..right-1 and rows top..bottom-1: its
    /// inked dots in the text colour, the rest left as it was. A device that cannot draw
    /// pictures leaves them out.
    virtual void drawImage(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/,
                           const BitImage& /*image*/) {}

    /// Completes the output at the end of a run: a file that collects every document is
    /// finished here, so that a failed write can still be reported.
    virtual void close() {}
    /// Ends a job stopped between two pages: a device whose documents go to a printer takes
    /// the open document back; one that writes files keeps the pages already whole, as
    /// close() does.
    virtual void cancel() { close(); }

protected:
    /// Whether a character of that width in the cell at x fills the line: another as wide
    /// after it would end beyond right.
    static bool fillsLine(int x, int pitch, int width, int right) {
        return x + pitch > right - width;
    }
};

} // namespace marlet
