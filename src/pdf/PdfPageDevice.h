#pragma once

#include "CellFace.h"
#include "PdfDestination.h"
#include "PdfPageContent.h"
#include "PdfPageImages.h"
#include "render/PageDevice.h"
#include "render/VirtualPaper.h"

#include <array>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

namespace marlet {

/// A printer that writes PDF itself: glyphs stay text in embedded subset fonts, stretched
/// to their cells; box strokes and fills become vector paths with the device rules of a
/// Windows printer; each page goes out as soon as it is finished.
class PdfPageDevice final : public PageDevice {
public:
    PdfPageDevice(const VirtualPaper& paper, std::unique_ptr<PdfDestination> destination);
    ~PdfPageDevice() override;

    Orientation orientation() const override { return m_orientation; }
    void setOrientation(Orientation orientation) override;

    void beginDocument(const std::string& title) override;
    void newPage() override;
    void endDocument() override;
    bool documentOpen() const override { return m_writer != nullptr; }

    int resolutionX() const override { return m_paper.dpi; }
    int resolutionY() const override { return m_paper.dpi; }
    PageSize pageSize() const override { return m_pageSize; }
    PhysicalPage physicalPage() const override { return m_paper.physicalPage(); }
    bool setPaper(PageSize sheet) override;

    void createFont(const FontRequest& request) override;
    const CanvasFont& canvasFont() const override { return m_font; }
    void setCanvasFont(const CanvasFont& font) override;
    TextExtent textExtent(std::u16string_view text) const override;

    void textOut(int x, int y, char16_t character) override {
        textRun(x, y, 0, std::u16string_view(&character, 1), std::numeric_limits<int>::max());
    }
    DrawnRun textRun(int x, int y, int pitch, std::u16string_view text, int right) override;
    void pathText(int, int, char16_t) override {}

    void setPenWidth(int width) override { m_penWidth = width < 0 ? -width : width; }
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void drawImage(int left, int top, int right, int bottom, const BitImage& image) override;

    void close() override;
    void cancel() override;

    /// The pages begun so far, over every document of the job.
    int pagesStarted() const { return m_pagesStarted; }

private:
    /// The canvas font made real: its face at its size, and its number in the open file.
    struct ActiveFont {
        std::shared_ptr<const CellFace> cell;
        GlyphStyle style;
        bool underline = false;
        bool strikeout = false;
    };
    void startPage();
    void finishPage();
    // Apart from createFont, which runs for nearly every byte, so that its usual case of
    // an unchanged font stays a few compares.
    [[gnu::noinline]] void changeFont(const FontRequest& request);
    /// The canvas font made real, resolved on first use after a change.
    const ActiveFont& activeFont() const { return m_active ? *m_active : resolveFont(); }
    const ActiveFont& resolveFont() const;
    int fileFont(const std::shared_ptr<const FontFace>& face);
    void decorate(const ActiveFont& font, int x, int y, int width);
    void addTurnedDecoration(int turns, int x, int y, int width, int below, int thickness);

    VirtualPaper m_paper;
    std::unique_ptr<PdfDestination> m_destination;
    Orientation m_orientation = Orientation::Portrait;
    PageSize m_pageSize;
    PageSize m_openSheet; // the sheet of the page being drawn, in its orientation
    PdfWriter* m_writer = nullptr;
    PdfPageContent m_page;
    bool m_pageOpen = false;
    int m_pagesStarted = 0;
    std::vector<std::array<int, 4>> m_decorations;
    // Pictures go over everything else of the page; they paint only their inked dots.
    PdfPageImages m_images;
    std::map<const FontFace*, int> m_fileFonts;

    CanvasFont m_font;
    /// Keeps the font being left, so that switching back (bold on and off) finds it again.
    void rememberActive();

    // Caches of what the canvas font resolves to; measuring fills them too.
    mutable std::optional<ActiveFont> m_active;
    struct RecentFont {
        CanvasFont font;
        ActiveFont active;
    };
    std::array<std::optional<RecentFont>, 4> m_recent;
    std::size_t m_nextRecent = 0;
    mutable std::map<std::tuple<std::string, bool, bool, int, int>, std::shared_ptr<const CellFace>>
        m_cells;

    int m_penWidth = 0;
    int m_x = 0;
    int m_y = 0;
    std::uint32_t m_fill = 0;
};

} // namespace marlet
