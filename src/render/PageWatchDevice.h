#pragma once

#include "JobStopped.h"
#include "PageDevice.h"

#include <atomic>
#include <functional>

namespace marlet {

/// Counts the pages a job starts and stops the job before a page it must not print: the
/// one after the page limit, or the next one once a stop is asked for. Forwards every call.
class PageWatchDevice final : public PageDevice {
public:
    /// Hears of each page as it starts, numbered from 1 across the job's documents.
    using PageStarted = std::function<void(int page)>;

    /// limit 0 sets none; stop is read at every page.
    PageWatchDevice(PageDevice& target, int limit, const std::atomic<bool>& stop,
                    PageStarted started)
        : m_target(target), m_limit(limit), m_stop(stop), m_started(std::move(started)) {}

    /// The pages started so far.
    int pages() const { return m_pages; }

    Orientation orientation() const override { return m_target.orientation(); }
    void setOrientation(Orientation orientation) override { m_target.setOrientation(orientation); }

    void beginDocument(const std::string& title) override;
    void newPage() override;
    void endDocument() override { m_target.endDocument(); }
    bool documentOpen() const override { return m_target.documentOpen(); }

    int resolutionX() const override { return m_target.resolutionX(); }
    int resolutionY() const override { return m_target.resolutionY(); }
    PageSize pageSize() const override { return m_target.pageSize(); }
    PhysicalPage physicalPage() const override { return m_target.physicalPage(); }

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

private:
    void startPage();

    PageDevice& m_target;
    int m_limit;
    const std::atomic<bool>& m_stop;
    PageStarted m_started;
    int m_pages = 0;
};

} // namespace marlet
