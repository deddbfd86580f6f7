#include "PrintJob.h"

#include "JobInput.h"

namespace marlet {

namespace {

constexpr std::uint8_t Backspace = 8;
constexpr std::uint8_t LineFeed = 10;
constexpr std::uint8_t FormFeed = 12;
constexpr std::uint8_t CarriageReturn = 13;
constexpr std::uint8_t Escape = 27;
constexpr std::uint8_t RestoreIcon = 255;
// A byte whose marker says "nothing visible" still goes through the canvas, as a path
// that is never stroked or filled.
constexpr char16_t InvisibleGlyph = 0xB9;

} // namespace

void PrintJob::run(const JobSettings& settings, const std::function<void()>& loadScheme) {
    try {
        m_printer.setOrientation(settings.orientation);
        if (loadScheme)
            loadScheme();
        m_printer.setCanvasFont(settings.sampleFont);
        m_geometry.Condensed = false;
        JobInput input(settings.path, settings.initString);
        m_lineWrap = settings.lineWrap;
        m_pageFeed = settings.pageFeed;
        m_pitch = m_geometry.setcell(settings.sampleSize);
        m_penX = m_geometry.OriginX;
        m_penY = m_geometry.OriginY;
        m_requested = m_printer.orientation();

        // The job font: the sample's face and style at the cell size; setpitch then gives
        // it the job's character set and pitch.
        FontRequest jobFont;
        jobFont.face = m_printer.canvasFont().face;
        jobFont.height = m_geometry.FontHeight;
        jobFont.width = m_geometry.CellWidth;
        jobFont.weight = settings.sampleFont.style.bold ? 700 : 0;
        jobFont.italic = settings.sampleFont.style.italic;
        jobFont.underline = settings.sampleFont.style.underline;
        jobFont.strikeout = settings.sampleFont.style.strikeout;
        jobFont.charset = 0;
        jobFont.outPrecision = 2; // character precision
        jobFont.pitchAndFamily = 1;
        m_printer.createFont(jobFont);
        m_geometry.setpitch(m_pitch);
        m_pageOpen = false;

        printBytes(input);
    } catch (...) {
        // No document is left open behind a failure.
        m_updateProgress(RestoreIcon);
        if (m_printer.documentOpen()) {
            try {
                m_printer.endDocument();
            } catch (...) {
            }
        }
        throw;
    }
    m_updateProgress(RestoreIcon);
    if (m_printer.documentOpen())
        m_printer.endDocument();
}

void PrintJob::printBytes(JobInput& input) {
    const std::uint32_t size = input.fileSize();
    const std::uint32_t progressDivisor = size / 16;
    std::uint32_t lastStep = 99;
    while (input.fileRemaining() > 0) {
        if (progressDivisor > 0) {
            std::uint32_t step = (size - input.fileRemaining()) / progressDivisor;
            if (step != lastStep) {
                m_updateProgress(static_cast<std::uint8_t>(step));
                lastStep = step;
            }
        }
        std::uint8_t byte = input.next();
        m_code = m_table.code(byte);
        dispatch(byte);
        if (m_code != 0)
            output(byte);

        if (m_lineWrap && m_penX > m_printer.pageSize().width - widthOf(m_code)) {
            m_penX = m_geometry.OriginX;
            m_penY += m_geometry.LineHeight;
        }
        if (m_penY > m_printer.pageSize().height - 2 * m_geometry.FontHeight) {
            m_penY = m_geometry.OriginY;
            m_pageOpen = false;
        }
    }
}

void PrintJob::dispatch(std::uint8_t byte) {
    // Control codes act on the translated code, so a table can make any byte a control.
    switch (m_code) {
    case Backspace:
        m_penX -= widthOf(Backspace);
        m_code = 0;
        break;
    case LineFeed:
        m_penY += m_geometry.LineHeight;
        m_code = 0;
        break;
    case FormFeed:
        if (m_pageFeed) {
            m_pageOpen = false;
            m_penY = m_geometry.OriginY;
        }
        m_penX = m_geometry.OriginX;
        m_code = 0;
        break;
    case CarriageReturn:
        m_penX = m_geometry.OriginX;
        m_code = 0;
        break;
    case Escape:
        m_code = 0;
        break;
    default:
        // Tabs, nulls and the other control bytes each take one blank cell.
        if (byte < 0x20)
            m_code = 0x20;
        break;
    }
}

void PrintJob::output(std::uint8_t byte) {
    if (!m_pageOpen)
        startPage();
    const std::uint8_t marker = m_table.marker(byte);
    if (m_printer.canvasFont().charset != marker) {
        m_geometry.FontCharset = marker;
        m_geometry.setpitch(m_pitch);
    }
    if (marker == BoxDrawingMarker)
        m_boxes.Pseudo(m_penX, m_penY, m_code, m_geometry.CellWidth, m_geometry.FontHeight);
    else if (marker == InvisibleMarker)
        m_printer.pathText(m_penX, m_penY, InvisibleGlyph);
    else
        m_printer.textOut(m_penX, m_penY, m_code);
    m_penX += m_geometry.CellWidth;
}

void PrintJob::startPage() {
    m_pageOpen = true;
    if (!m_printer.documentOpen()) {
        m_printer.beginDocument(DocumentTitle);
    } else if (m_printer.orientation() == m_requested) {
        m_printer.newPage();
    } else {
        m_printer.endDocument();
        m_printer.setOrientation(m_requested);
        m_penY = m_geometry.OriginY;
        m_printer.beginDocument(DocumentTitle);
    }
}

int PrintJob::widthOf(char16_t character) const {
    return m_printer.textExtent(std::u16string_view(&character, 1)).width;
}

} // namespace marlet
