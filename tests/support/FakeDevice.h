#pragma once

#include "render/PageDevice.h"

#include <string>
#include <vector>

namespace marlet::testing {

/// A printer with a simple face: every glyph advance is the em's 6/10 (0 for '!' when
/// proportional is asked), the cell height 113/100 of the em. It records nothing; wrap it
/// in a TraceDevice to see the calls.
class FakeDevice : public PageDevice {
public:
    int dpiX = 600;
    int dpiY = 600;
    PhysicalPage sheet{4960, 7016, 100, 100};
    bool proportional = false;
    int openDocuments = 0;

    Orientation orientation() const override { return m_orientation; }
    void setOrientation(Orientation orientation) override { m_orientation = orientation; }
    void beginDocument(const std::string&) override {
        m_open = true;
        ++openDocuments;
    }
    void newPage() override {}
    void endDocument() override { m_open = false; }
    bool documentOpen() const override { return m_open; }
    int resolutionX() const override { return dpiX; }
    int resolutionY() const override { return dpiY; }
    PageSize pageSize() const override {
        PageSize size{sheet.width - 2 * sheet.offsetX, sheet.height - 2 * sheet.offsetY};
        if (m_orientation == Orientation::Landscape)
            size = {sheet.height - 2 * sheet.offsetY, sheet.width - 2 * sheet.offsetX};
        return size;
    }
    PhysicalPage physicalPage() const override { return sheet; }
    bool setPaper(PageSize size) override {
        sheet.width = size.width;
        sheet.height = size.height;
        return true;
    }
    void createFont(const FontRequest& r) override {
        m_font = {r.face,    r.height,
                  r.width,   FontStyle{r.weight >= 700, r.italic, r.underline, r.strikeout},
                  r.charset, r.escapement};
    }
    const CanvasFont& canvasFont() const override { return m_font; }
    void setCanvasFont(const CanvasFont& font) override { m_font = font; }
    TextExtent textExtent(std::u16string_view text) const override {
        int em = m_font.height < 0 ? -m_font.height : m_font.height * 100 / 113;
        int advance = m_font.width > 0 ? m_font.width : em * 6 / 10;
        int width = 0;
        for (char16_t c : text)
            width += proportional && c == u'!' ? advance / 2 : advance;
        return {width, m_font.height < 0 ? em * 113 / 100 : m_font.height};
    }
    void textOut(int, int, char16_t) override {}
    void pathText(int, int, char16_t) override {}
    void setPenWidth(int) override {}
    void moveTo(int, int) override {}
    void lineTo(int, int) override {}
    void setFillColor(std::uint8_t, std::uint8_t, std::uint8_t) override {}
    void fillRect(int, int, int, int) override {}

private:
    Orientation m_orientation = Orientation::Portrait;
    bool m_open = false;
    CanvasFont m_font{"Courier New", -83, 0, {}, 1};
};

} // namespace marlet::testing
