#pragma once

#include "ForwardingDevice.h"

#include <ostream>

namespace marlet {

/// Writes one line per drawing or document operation, in call order, and forwards the call.
/// Reads (device values, measurements), giving the canvas a font as it stands, and closing
/// or cancelling the output write nothing: the trace holds the job's drawing alone.
class TraceDevice final : public ForwardingDevice {
public:
    TraceDevice(PageDevice& target, std::ostream& out) : ForwardingDevice(target), m_out(out) {}

    void setOrientation(Orientation orientation) override;

    void beginDocument(const std::string& title) override;
    void newPage() override;
    void endDocument() override;
    bool setPaper(PageSize sheet) override;
    void createFont(const FontRequest& request) override;

    void textOut(int x, int y, char16_t character) override;
    DrawnRun textRun(int x, int y, int pitch, std::u16string_view text, int right) override;
    void pathText(int x, int y, char16_t character) override;

    void setPenWidth(int width) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void drawImage(int left, int top, int right, int bottom, const BitImage& image) override;

private:
    void writeText(int x, int y, char16_t character);

    std::ostream& m_out;
};

} // namespace marlet
