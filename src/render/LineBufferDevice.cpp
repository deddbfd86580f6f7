#include "LineBufferDevice.h"

#include <algorithm>
#include <limits>

namespace marlet {

void LineBufferDevice::printLine() {
    // Cleared before drawing, so that a device that fails part way sends nothing twice.
    std::vector<Drawing> held;
    held.swap(m_held);
    m_heldBytes = 0;
    m_fontChanged = true;
    if (held.empty())
        return;
    const CanvasFont current = m_target.canvasFont();
    bool fontSwitched = false;
    for (const Drawing& drawing : held) {
        switch (drawing.kind) {
        case Kind::Font:
            // Giving the canvas a font as it stands draws alike and makes no new font.
            m_target.setCanvasFont(drawing.font);
            fontSwitched = true;
            break;
        case Kind::Text:
            m_target.textOut(drawing.a, drawing.b, drawing.text[0]);
            break;
        case Kind::Run:
            // Cut where the line was full when it was held: all of it draws now.
            m_target.textRun(drawing.a, drawing.b, drawing.c, drawing.text,
                             std::numeric_limits<int>::max());
            break;
        case Kind::PathText:
            m_target.pathText(drawing.a, drawing.b, drawing.text[0]);
            break;
        case Kind::PenWidth:
            m_target.setPenWidth(drawing.a);
            break;
        case Kind::MoveTo:
            m_target.moveTo(drawing.a, drawing.b);
            break;
        case Kind::LineTo:
            m_target.lineTo(drawing.a, drawing.b);
            break;
        case Kind::FillColor:
            m_target.setFillColor(static_cast<std::uint8_t>(drawing.a),
                                  static_cast<std::uint8_t>(drawing.b),
                                  static_cast<std::uint8_t>(drawing.c));
            break;
        case Kind::FillRect:
            m_target.fillRect(drawing.a, drawing.b, drawing.c, drawing.d);
            break;
        case Kind::Image:
            m_target.drawImage(drawing.a, drawing.b, drawing.c, drawing.d, drawing.image);
            break;
        }
    }
    if (fontSwitched)
        m_target.setCanvasFont(current);
}

void LineBufferDevice::cancelLine() {
    // The pen width and fill colour last chosen stay chosen for what the next line draws.
    std::vector<Drawing> kept;
    for (Kind setting : {Kind::PenWidth, Kind::FillColor}) {
        const auto last = std::find_if(m_held.rbegin(), m_held.rend(),
                                       [setting](const Drawing& d) { return d.kind == setting; });
        if (last != m_held.rend())
            kept.push_back(*last);
    }
    m_held.swap(kept);
    m_heldBytes = m_held.size() * sizeof(Drawing);
    m_fontChanged = true;
}

void LineBufferDevice::setOrientation(Orientation orientation) {
    printLine();
    m_target.setOrientation(orientation);
}

void LineBufferDevice::beginDocument(const std::string& title) {
    printLine();
    m_target.beginDocument(title);
}

void LineBufferDevice::newPage() {
    printLine();
    m_target.newPage();
}

void LineBufferDevice::endDocument() {
    printLine();
    m_target.endDocument();
}

void LineBufferDevice::createFont(const FontRequest& request) {
    m_target.createFont(request);
    m_fontChanged = true;
}

void LineBufferDevice::setCanvasFont(const CanvasFont& font) {
    m_target.setCanvasFont(font);
    m_fontChanged = true;
}

LineBufferDevice::Drawing& LineBufferDevice::hold(Kind kind, std::size_t bytes, int a, int b, int c,
                                                  int d) {
    const std::size_t size = sizeof(Drawing) + bytes;
    if (m_heldBytes + size > MaxHeldBytes)
        printLine();
    m_heldBytes += size;
    return m_held.emplace_back(Drawing{kind, a, b, c, d, {}, {}, {}});
}

void LineBufferDevice::holdText(Kind kind, int x, int y, int pitch, std::u16string_view text) {
    const std::size_t bytes = text.size() * sizeof(char16_t);
    // Room for the font and the text together, so that no text is held without its font.
    if (m_heldBytes + 2 * sizeof(Drawing) + bytes > MaxHeldBytes)
        printLine();
    if (m_fontChanged) {
        hold(Kind::Font, 0, 0).font = m_target.canvasFont();
        m_fontChanged = false;
    }
    hold(kind, bytes, x, y, pitch).text.assign(text);
}

void LineBufferDevice::textOut(int x, int y, char16_t character) {
    holdText(Kind::Text, x, y, 0, std::u16string_view(&character, 1));
}

DrawnRun LineBufferDevice::textRun(int x, int y, int pitch, std::u16string_view text, int right) {
    // The run is cut where the printer would find the line full, as the target would cut it.
    DrawnRun drawn{text.size(), false};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (fillsLine(x + static_cast<int>(i) * pitch, pitch, textExtent(text.substr(i, 1)).width,
                      right)) {
            drawn = {i + 1, true};
            break;
        }
    }
    holdText(Kind::Run, x, y, pitch, text.substr(0, drawn.count));
    return drawn;
}

void LineBufferDevice::pathText(int x, int y, char16_t character) {
    holdText(Kind::PathText, x, y, 0, std::u16string_view(&character, 1));
}

void LineBufferDevice::setPenWidth(int width) {
    hold(Kind::PenWidth, 0, width);
}

void LineBufferDevice::moveTo(int x, int y) {
    hold(Kind::MoveTo, 0, x, y);
}

void LineBufferDevice::lineTo(int x, int y) {
    hold(Kind::LineTo, 0, x, y);
}

void LineBufferDevice::setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    hold(Kind::FillColor, 0, red, green, blue);
}

void LineBufferDevice::fillRect(int left, int top, int right, int bottom) {
    hold(Kind::FillRect, 0, left, top, right, bottom);
}

void LineBufferDevice::drawImage(int left, int top, int right, int bottom, const BitImage& image) {
    hold(Kind::Image, static_cast<std::size_t>(image.stride()) * image.height(), left, top, right,
         bottom)
        .image = image;
}

void LineBufferDevice::close() {
    printLine();
    m_target.close();
}

void LineBufferDevice::cancel() {
    // A job stops between pages: what the line holds belongs to a whole page.
    printLine();
    m_target.cancel();
}

} // namespace marlet
