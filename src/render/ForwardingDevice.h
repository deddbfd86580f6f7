#pragma once

#include "PageDevice.h"

namespace marlet {

/// A page device in front of another that hands every call on unchanged: the base of the
/// devices that watch, trace or hold back a job's drawing, so that each overrides only the
/// calls it cares about and no call is lost on the way to the printer.
class ForwardingDevice : public PageDevice {
public:
    explicit ForwardingDevice(PageDevice& target) : m_target(target) {}

    Orientation orientation() const override { return m_target.orientation(); }
    void setOrientation(Orientation orientation) override { m_target.setOrientation(orientation); }

    void beginDocument(const std::string& title) override { m_target.beginDocument(title); }
    void newPage() override { m_target.newPage(); }
    void endDocument() override { m_target.endDocument(); }
    bool documentOpen() const override { return m_target.documentOpen(); }

    int resolutionX() const override { return m_target.resolutionX(); }
    int resolutionY() const override { return m_target.resolutionY(); }
    PageSize pageSize() const override { return m_target.pageSize(); }
    PhysicalPage physicalPage() const override { return m_target.physicalPage(); }
    bool setPaper(PageSize sheet) override { return m_target.setPaper(sheet); }

    void createFont(const FontRequest& request) override { m_target.createFont(request); }
    const CanvasFont& canvasFont() const override { return m_target.canvasFont(); }
    void setCanvasFont(const CanvasFont& font) override { m_target.setCanvasFont(font); }
    TextExtent textExtent(std::u16string_view text) const override {
        return m_target.textExtent(text);
    }

    void textOut(int x, int y, char16_t character) override { m_target.textOut(x, y, character); }
    DrawnRun textRun(int x, int y, int pitch, std::u16string_view text, int right) override {
        return m_target.textRun(x, y, pitch, text, right);
    }
    void pathText(int x, int y, char16_t character) override { m_target.pathText(x, y, character); }

    void setPenWidth(int width) override { m_target.setPenWidth(width); }
    void moveTo(int x, int y) override { m_target.moveTo(x, y); }
    void lineTo(int x, int y) override { m_target.lineTo(x, y); }
    void setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        m_target.setFillColor(red, green, blue);
    }
    void fillRect(int left, int top, int right, int bottom) override {
        m_target.fillRect(left, top, right, bottom);
    }
    void drawImage(int left, int top, int right, int bottom, const BitImage& image) override {
        m_target.drawImage(left, top, right, bottom, image);
    }
    void close() override { m_target.close(); }
    void cancel() override { m_target.cancel(); }

protected:
    PageDevice& m_target;
};

} // namespace marlet
