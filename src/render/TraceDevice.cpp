#include "TraceDevice.h"

#include <cstdio>

namespace marlet {

namespace {

struct CodePoint {
    char16_t value;
};

std::ostream& operator<<(std::ostream& out, CodePoint c) {
    char text[12];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c.value));
    return out << text;
}

} // namespace

void TraceDevice::setOrientation(Orientation orientation) {
    m_out << "orientation " << (orientation == Orientation::Portrait ? "portrait" : "landscape")
          << '\n';
    m_target.setOrientation(orientation);
}

void TraceDevice::beginDocument(const std::string& title) {
    m_out << "begin_document \"" << title << "\"\n";
    m_target.beginDocument(title);
}

void TraceDevice::newPage() {
    m_out << "new_page\n";
    m_target.newPage();
}

void TraceDevice::endDocument() {
    m_out << "end_document\n";
    m_target.endDocument();
}

bool TraceDevice::setPaper(PageSize sheet) {
    m_out << "paper " << sheet.width << ' ' << sheet.height << '\n';
    return m_target.setPaper(sheet);
}

void TraceDevice::createFont(const FontRequest& r) {
    m_out << "font face=\"" << r.face << "\" height=" << r.height << " width=" << r.width
          << " escapement=" << r.escapement << " orientation=" << r.orientation
          << " weight=" << r.weight << " italic=" << int(r.italic)
          << " underline=" << int(r.underline) << " strikeout=" << int(r.strikeout)
          << " charset=" << int(r.charset) << " out_precision=" << int(r.outPrecision)
          << " clip_precision=" << int(r.clipPrecision) << " quality=" << int(r.quality)
          << " pitch_family=" << int(r.pitchAndFamily) << '\n';
    m_target.createFont(r);
}

void TraceDevice::writeText(int x, int y, char16_t character) {
    m_out << "text " << x << ' ' << y << ' ' << CodePoint{character} << '\n';
}

void TraceDevice::textOut(int x, int y, char16_t character) {
    writeText(x, y, character);
    m_target.textOut(x, y, character);
}

DrawnRun TraceDevice::textRun(int x, int y, int pitch, std::u16string_view text, int right) {
    const DrawnRun drawn = m_target.textRun(x, y, pitch, text, right);
    // One line per cell drawn, as if each were drawn alone.
    for (std::size_t i = 0; i < drawn.count; ++i)
        writeText(x + static_cast<int>(i) * pitch, y, text[i]);
    return drawn;
}

void TraceDevice::pathText(int x, int y, char16_t character) {
    m_out << "path_text " << x << ' ' << y << ' ' << CodePoint{character} << '\n';
    m_target.pathText(x, y, character);
}

void TraceDevice::setPenWidth(int width) {
    m_out << "pen_width " << width << '\n';
    m_target.setPenWidth(width);
}

void TraceDevice::moveTo(int x, int y) {
    m_out << "move_to " << x << ' ' << y << '\n';
    m_target.moveTo(x, y);
}

void TraceDevice::lineTo(int x, int y) {
    m_out << "line_to " << x << ' ' << y << '\n';
    m_target.lineTo(x, y);
}

void TraceDevice::setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    m_out << "fill_color " << int(red) << ' ' << int(green) << ' ' << int(blue) << '\n';
    m_target.setFillColor(red, green, blue);
}

void TraceDevice::fillRect(int left, int top, int right, int bottom) {
    m_out << "fill_rect " << left << ' ' << top << ' ' << right << ' ' << bottom << '\n';
    m_target.fillRect(left, top, right, bottom);
}

void TraceDevice::drawImage(int left, int top, int right, int bottom, const BitImage& image) {
    m_out << "image " << left << ' ' << top << ' ' << right << ' ' << bottom << ' ' << image.width()
          << 'x' << image.height() << '\n';
    m_target.drawImage(left, top, right, bottom, image);
}

} // namespace marlet
