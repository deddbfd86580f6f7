#include "PdfPageDevice.h"

#include "FontLocator.h"
#include "base/Error.h"
#include "base/ShortText.h"
#include "render/ThinLine.h"

#include <algorithm>
#include <cmath>

namespace marlet {

namespace {

constexpr double PointsPerInch = 72.0;

// Fonts that draw alike: the character set changes nothing on a Unicode page.
bool drawAlike(const CanvasFont& a, const CanvasFont& b) {
    return a.height == b.height && a.width == b.width && a.style == b.style &&
           a.escapement == b.escapement && sameShortText(a.face, b.face);
}

} // namespace

PdfPageDevice::PdfPageDevice(const VirtualPaper& paper, std::unique_ptr<PdfDestination> destination)
    : m_paper(paper), m_destination(std::move(destination)),
      m_pageSize(paper.printable(Orientation::Portrait)) {
}

PdfPageDevice::~PdfPageDevice() {
    try {
        close();
    } catch (const Error&) {
        // close() is called explicitly where a failure can still be reported.
    }
}

void PdfPageDevice::setOrientation(Orientation orientation) {
    if (documentOpen())
        throw Error("Printing in progress");
    m_orientation = orientation;
    m_pageSize = m_paper.printable(orientation);
}

bool PdfPageDevice::setPaper(PageSize sheet) {
    // The strips stay; a sheet too small to hold them keeps the old paper.
    if (!m_paper.holdsStrips(sheet))
        return false;
    m_paper.width = sheet.width;
    m_paper.height = sheet.height;
    m_pageSize = m_paper.printable(m_orientation);
    return true;
}

void PdfPageDevice::beginDocument(const std::string& title) {
    if (documentOpen())
        throw Error("Printing in progress");
    m_writer = &m_destination->beginDocument(title);
    // Font numbers belong to a file, and a document may have started a new one.
    m_fileFonts.clear();
    if (m_active)
        m_active->style.font = -1;
    for (std::optional<RecentFont>& recent : m_recent) {
        if (recent)
            recent->active.style.font = -1;
    }
    startPage();
}

void PdfPageDevice::newPage() {
    if (!documentOpen())
        return;
    finishPage();
    startPage();
}

void PdfPageDevice::endDocument() {
    if (!documentOpen())
        return;
    finishPage();
    m_writer = nullptr;
    m_destination->endDocument();
}

void PdfPageDevice::close() {
    endDocument();
    m_destination->close();
}

void PdfPageDevice::cancel() {
    // The stop falls between pages: the page open is whole, and goes to the writer for a
    // destination that keeps what it has; the destination's document is not ended.
    if (documentOpen()) {
        finishPage();
        m_writer = nullptr;
    }
    m_destination->cancel();
}

void PdfPageDevice::startPage() {
    const double scale = PointsPerInch / m_paper.dpi;
    const PageSize sheet = m_paper.sheet(m_orientation);
    const PageSize margin = m_paper.margin(m_orientation);
    m_openSheet = sheet;
    m_page.start(scale, sheet.height * scale, margin.width, margin.height);
    m_pageOpen = true;
    ++m_pagesStarted;
    m_decorations.clear();
    m_images.start(-margin.width, -margin.height, sheet.width - margin.width,
                   sheet.height - margin.height);
}

void PdfPageDevice::finishPage() {
    for (const auto& [left, top, width, height] : m_decorations)
        m_page.fill(left, top, width, height, 0);
    const double scale = PointsPerInch / m_paper.dpi;
    // The paper may have changed for the pages after this one.
    const PageSize sheet = m_openSheet;
    std::string paint;
    std::vector<BitImage> images;
    m_images.finish(paint, images);
    const std::string_view content = m_page.finish(paint);
    m_writer->addPage(sheet.width * scale, sheet.height * scale, content, m_page.fonts(),
                      std::move(images));
    m_pageOpen = false;
}

void PdfPageDevice::createFont(const FontRequest& request) {
    const FontStyle style{request.weight >= 700, request.italic, request.underline,
                          request.strikeout};
    // Box figures switch the character set back and forth twice a cell; the font that
    // draws stays the same.
    if (m_active && request.height == m_font.height && request.width == m_font.width &&
        style == m_font.style && request.escapement == m_font.escapement &&
        sameShortText(request.face, m_font.face)) {
        m_font.charset = request.charset;
        return;
    }
    changeFont(request);
}

void PdfPageDevice::changeFont(const FontRequest& request) {
    const FontStyle style{request.weight >= 700, request.italic, request.underline,
                          request.strikeout};
    setCanvasFont(
        {request.face, request.height, request.width, style, request.charset, request.escapement});
}

void PdfPageDevice::setCanvasFont(const CanvasFont& font) {
    if (m_active && drawAlike(font, m_font)) {
        m_font = font;
        return;
    }
    rememberActive();
    m_font = font;
    m_active.reset();
    for (const std::optional<RecentFont>& recent : m_recent) {
        if (recent && drawAlike(recent->font, font)) {
            m_active = recent->active;
            break;
        }
    }
}

void PdfPageDevice::rememberActive() {
    if (!m_active)
        return;
    for (std::optional<RecentFont>& recent : m_recent) {
        if (recent && drawAlike(recent->font, m_font)) {
            recent->active = *m_active;
            return;
        }
    }
    m_recent[m_nextRecent] = RecentFont{m_font, *m_active};
    m_nextRecent = (m_nextRecent + 1) % m_recent.size();
}

const PdfPageDevice::ActiveFont& PdfPageDevice::resolveFont() const {
    auto key = std::make_tuple(m_font.face, m_font.style.bold, m_font.style.italic, m_font.height,
                               m_font.width);
    auto& cell = m_cells[key];
    if (!cell) {
        FontLocation location =
            FontLocator::locate(m_font.face, m_font.style.bold, m_font.style.italic);
        cell = std::make_shared<const CellFace>(openFace(location), m_font.height, m_font.width);
    }
    const FaceMetrics& metrics = cell->face().metrics();
    ActiveFont active;
    active.cell = cell;
    active.style = {-1, cell->unitX() * metrics.unitsPerEm, cell->unitY() * metrics.unitsPerEm,
                    cell->ascent(), quarterTurns(m_font.escapement)};
    active.underline = m_font.style.underline;
    active.strikeout = m_font.style.strikeout;
    m_active = std::move(active);
    return *m_active;
}

TextExtent PdfPageDevice::textExtent(std::u16string_view text) const {
    const CellFace& cell = *activeFont().cell;
    if (text.size() == 1)
        return {cell.characterAdvance(text[0]), cell.cellHeight()};
    return cell.extent(text);
}

int PdfPageDevice::fileFont(const std::shared_ptr<const FontFace>& face) {
    auto found = m_fileFonts.find(face.get());
    if (found != m_fileFonts.end())
        return found->second;
    int font = m_writer->font(face);
    m_fileFonts.emplace(face.get(), font);
    return font;
}

DrawnRun PdfPageDevice::textRun(int x, int y, int pitch, std::u16string_view text, int right) {
    activeFont();
    ActiveFont& font = *m_active;
    const CellFace& cell = *font.cell;
    const FontFace& face = cell.face();
    const bool decorated = font.underline || font.strikeout;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t character = text[i];
        // A blank cell is a gap in the text run: nothing to draw, and no font to switch to.
        if (m_pageOpen && character != u' ') {
            if (font.style.font < 0)
                font.style.font = fileFont(cell.sharedFace());
            const std::uint16_t glyph = face.glyph(character);
            m_page.glyph(font.style, m_writer->code(font.style.font, glyph, character), x, y,
                         face.advance(glyph) * cell.unitX());
        }
        const int width = cell.characterAdvance(character);
        if (m_pageOpen && decorated)
            decorate(font, x, y, width);
        if (fillsLine(x, pitch, width, right))
            return {i + 1, true};
        x += pitch;
    }
    return {text.size(), false};
}

void PdfPageDevice::decorate(const ActiveFont& font, int x, int y, int width) {
    const FaceMetrics& metrics = font.cell->face().metrics();
    const double unitY = font.cell->unitY();
    auto line = [&](int position, int size) {
        int thickness = std::max(1, static_cast<int>(std::lround(size * unitY)));
        int below =
            font.cell->ascent() - static_cast<int>(std::lround(position * unitY)) - thickness / 2;
        if (font.style.turns != 0) {
            addTurnedDecoration(font.style.turns, x, y, width, below, thickness);
            return;
        }
        const int top = y + below;
        // Decorations of neighbouring glyphs join into one stroke.
        if (!m_decorations.empty()) {
            auto& last = m_decorations.back();
            if (last[1] == top && last[3] == thickness && last[0] + last[2] == x) {
                last[2] += width;
                return;
            }
        }
        m_decorations.push_back({x, top, width, thickness});
    };
    if (font.underline)
        line(metrics.underlinePosition, metrics.underlineThickness);
    if (font.strikeout)
        line(metrics.strikeoutPosition, metrics.strikeoutSize);
}

void PdfPageDevice::addTurnedDecoration(int turns, int x, int y, int width, int below,
                                        int thickness) {
    // The stroke along the glyph, below pixels under the cell's top, turned with the text
    // about the cell's corner.
    int left = x;
    int top = y;
    int across = width;
    int down = thickness;
    if (turns == 1) {
        left = x + below;
        top = y - width;
        std::swap(across, down);
    } else if (turns == 2) {
        left = x - width;
        top = y - below - thickness;
    } else {
        left = x - below - thickness;
        top = y;
        std::swap(across, down);
    }
    m_decorations.push_back({left, top, across, down});
}

void PdfPageDevice::moveTo(int x, int y) {
    m_x = x;
    m_y = y;
}

void PdfPageDevice::lineTo(int x, int y) {
    if (m_pageOpen) {
        if (m_penWidth <= 1) {
            forEachThinLineRun(m_x, m_y, x, y, [&](int left, int top, int width, int height) {
                m_page.fill(left, top, width, height, 0);
            });
        } else {
            m_page.stroke(m_x, m_y, x, y, m_penWidth);
        }
    }
    m_x = x;
    m_y = y;
}

void PdfPageDevice::setFillColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    m_fill = static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 | blue;
}

void PdfPageDevice::drawImage(int left, int top, int right, int bottom, const BitImage& image) {
    if (m_pageOpen)
        m_images.add(left, top, right, bottom, image);
}

void PdfPageDevice::fillRect(int left, int top, int right, int bottom) {
    if (m_pageOpen && right > left && bottom > top)
        m_page.fill(left, top, right - left, bottom - top, m_fill);
}

} // namespace marlet
