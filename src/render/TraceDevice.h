#pragma once

#include "PageDevice.h"

#include <ostream>

namespace marlet {

/// Writes one line per drawing or document operation, in call order, and forwards the call.
/// Reads (device values, measurements) and giving the canvas a font as it stands write
/// nothing.
class TraceDevice final : public PageDevice {
public:
    TraceDevice(PageDevice& target, std::ostream& out) : m_target(target), m_out(out) {}

    Orientation orientation() const override { return m_target.orientation(); }
    void setOrientation(Orientation orientation) override;

    void beginDocument(const std::string& title) override;
    void newPage() override;
    void endDocument() override;
    bool documentOpen() const override { return m_target.documentOpen(); }

    int resolutionX() const override { return m_target.resolutionX(); }
    int resolutionY() const override { return m_target.resolutionY(); }
    PageSize pageSize() const override { return m_target.pageSize(); }
    PhysicalPage physicalPage() const override { return m_target.physicalPage(); }
    bool setPaper(PageSize sheet) override;

    void createFont(const FontRequest& request) override;
    const CanvasFont& canvasFont() const override { return m_target.canvasFont(); }
    void setCanvasFont(const CanvasFont& font) override { m_target.setCanvasFont(font); }
    TextExtent textExtent(std::u16string_view text) const override {
        return m_target.textExtent(text);
    }

    void textOut(int x, int y, char16_t character) override;
    DrawnRun textRun(int x, int y, int pitch, std::u16string_view text, int right) override;
    void pathText(int x, int y, char16_t character) override;

    void setPenWidth(int width) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void drawImage(int left, int top, int right, int bottom, const BitImage& image) override;
    void close() override { m_target.close(); }

private:
    void writeText(int x, int y, char16_t character);

    PageDevice& m_target;
    std::ostream& m_out;
};

} // namespace marlet
