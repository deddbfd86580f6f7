#pragma once

#include "ForwardingDevice.h"

#include <string>
#include <vector>

namespace marlet {

/// A dot-matrix printer's line buffer in front of a page device: the drawing of the line
/// being set (characters, frame strokes, fills, pictures) waits here until the line prints,
/// so that CAN can still take it back. Fonts change at once and held characters keep the
/// font they were set in; page and document calls print the line first.
class LineBufferDevice final : public ForwardingDevice {
public:
    explicit LineBufferDevice(PageDevice& target) : ForwardingDevice(target) {}

    /// Sends the drawing held for the line on, in the order it came.
    void printLine();
    /// Forgets the drawing held for the line, as CAN clears the printer's buffer.
    void cancelLine();

    void setOrientation(Orientation orientation) override;

    void beginDocument(const std::string& title) override;
    void newPage() override;
    void endDocument() override;

    void createFont(const FontRequest& request) override;
    void setCanvasFont(const CanvasFont& font) override;

    void textOut(int x, int y, char16_t character) override;
    DrawnRun textRun(int x, int y, int pitch, std::u16string_view text, int right) override;
    void pathText(int x, int y, char16_t character) override;

    void setPenWidth(int width) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void drawImage(int left, int top, int right, int bottom, const BitImage& image) override;
    void close() override;
    void cancel() override;

private:
    enum class Kind : std::uint8_t {
        Font,
        Text,
        Run,
        PathText,
        PenWidth,
        MoveTo,
        LineTo,
        FillColor,
        FillRect,
        Image
    };
    /// One call held back: its numbers in the order the call takes them.
    struct Drawing {
        Kind kind;
        int a = 0;
        int b = 0;
        int c = 0;
        int d = 0;
        std::u16string text;
        BitImage image;
        CanvasFont font;
    };

    /// The most memory a line's drawing takes before it prints anyway: a job whose line
    /// never ends prints it in pieces rather than piling it up.
    static constexpr std::size_t MaxHeldBytes = 4 << 20;

    /// Holds a drawing of that many bytes besides its own, printing the line first when
    /// they would not fit.
    Drawing& hold(Kind kind, std::size_t bytes, int a, int b = 0, int c = 0, int d = 0);
    void holdText(Kind kind, int x, int y, int pitch, std::u16string_view text);

    std::vector<Drawing> m_held;
    std::size_t m_heldBytes = 0;
    // Whether the canvas font changed since characters were last held: the next ones note it.
    bool m_fontChanged = true;
};

} // namespace marlet
