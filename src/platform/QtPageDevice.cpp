#include "QtPageDevice.h"

#include "base/Error.h"

#include <QPainter>

namespace marlet {

namespace {

// A font of height 0 asks the driver for a default size: a 12-point em.
int defaultEmPixels(const PageOutput& output) {
    return (output.resolutionY() * 12 + 36) / 72;
}

} // namespace

QtPageDevice::QtPageDevice(std::unique_ptr<PageOutput> output)
    : m_output(std::move(output)), m_canvas(defaultEmPixels(*m_output)) {
}

QtPageDevice::~QtPageDevice() {
    if (!m_documentOpen)
        return;
    m_canvas.attach(nullptr);
    try {
        m_output->endDocument();
    } catch (...) {
        // Nothing can be reported from here; the pages drawn so far are all there is.
    }
}

void QtPageDevice::setOrientation(Orientation orientation) {
    if (m_documentOpen)
        throw Error("Printing in progress");
    m_orientation = orientation;
}

void QtPageDevice::beginDocument(const std::string& title) {
    if (m_documentOpen)
        throw Error("Printing in progress");
    QPainter& painter = m_output->beginDocument(title, m_orientation);
    m_documentOpen = true;
    m_canvas.attach(&painter);
}

void QtPageDevice::newPage() {
    if (!m_documentOpen)
        return;
    m_canvas.attach(nullptr);
    m_canvas.attach(&m_output->newPage());
}

void QtPageDevice::endDocument() {
    if (!m_documentOpen)
        return;
    m_canvas.attach(nullptr);
    m_documentOpen = false;
    m_output->endDocument();
}

void QtPageDevice::cancel() {
    if (!m_documentOpen)
        return;
    m_canvas.attach(nullptr);
    m_documentOpen = false;
    m_output->cancel();
}

void QtPageDevice::createFont(const FontRequest& request) {
    CanvasFont font;
    font.face = request.face;
    font.height = request.height;
    font.width = request.width;
    font.style.bold = request.weight >= 700;
    font.style.italic = request.italic;
    font.style.underline = request.underline;
    font.style.strikeout = request.strikeout;
    font.charset = request.charset;
    font.escapement = request.escapement;
    m_canvas.setFont(font);
}

void QtPageDevice::textOut(int x, int y, char16_t character) {
    m_canvas.textOut(x, y, character);
}

void QtPageDevice::pathText(int, int, char16_t) {
    // The glyph only outlines a path that is closed with neither stroke nor fill, so
    // nothing of it reaches the paper and the current position stays where it was.
}

void QtPageDevice::setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    m_canvas.setFillColor(QColor(red, green, blue));
}

void QtPageDevice::fillRect(int left, int top, int right, int bottom) {
    m_canvas.fillRect(left, top, right, bottom);
}

} // namespace marlet
