#pragma once

#include "PageOutput.h"
#include "QtCanvas.h"
#include "render/PageDevice.h"

#include <memory>

namespace marlet {

/// A printer for the grid on Qt: documents and pages go to a page output, drawing goes
/// through a canvas that keeps the GDI rules.
class QtPageDevice final : public PageDevice {
public:
    /// Prints on output; a QGuiApplication must exist (fonts need it).
    explicit QtPageDevice(std::unique_ptr<PageOutput> output);
    /// Ends a document left open, so that its pages are not lost.
    ~QtPageDevice() override;

    Orientation orientation() const override { return m_orientation; }
    void setOrientation(Orientation orientation) override;

    void beginDocument(const std::string& title) override;
    void newPage() override;
    void endDocument() override;
    void cancel() override;
    bool documentOpen() const override { return m_documentOpen; }

    int resolutionX() const override { return m_output->resolutionX(); }
    int resolutionY() const override { return m_output->resolutionY(); }
    PageSize pageSize() const override { return m_output->pageSize(m_orientation); }
    PhysicalPage physicalPage() const override { return m_output->physicalPage(); }
    bool setPaper(PageSize sheet) override { return m_output->setPaper(sheet); }

    void createFont(const FontRequest& request) override;
    const CanvasFont& canvasFont() const override { return m_canvas.font(); }
    void setCanvasFont(const CanvasFont& font) override { m_canvas.setFont(font); }
    TextExtent textExtent(std::u16string_view text) const override {
        return m_canvas.textExtent(text);
    }

    void textOut(int x, int y, char16_t character) override;
    void pathText(int x, int y, char16_t character) override;

    void setPenWidth(int width) override { m_canvas.setPenWidth(width); }
    void moveTo(int x, int y) override { m_canvas.moveTo(x, y); }
    void lineTo(int x, int y) override { m_canvas.lineTo(x, y); }
    void setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void drawImage(int left, int top, int right, int bottom, const BitImage& image) override {
        m_canvas.drawImage(left, top, right, bottom, image);
    }

private:
    std::unique_ptr<PageOutput> m_output;
    QtCanvas m_canvas;
    Orientation m_orientation = Orientation::Portrait;
    bool m_documentOpen = false;
};

} // namespace marlet
