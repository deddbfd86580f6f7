#include "PrintJob.h"

#include "render/ControlBytes.h"

#include "JobInput.h"
#include "JobStopped.h"
#include "LineBufferDevice.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace marlet {

namespace {

constexpr std::uint8_t RestoreIcon = 255;
// A byte whose marker says "nothing visible" still goes through the canvas, as a path
// that is never stroked or filled.
constexpr char16_t InvisibleGlyph = 0xB9;

// A dot-matrix printer sets each line in a buffer and prints it at the line's end.
bool hasLineBuffer(PrinterLanguage language) {
    return language == PrinterLanguage::EscP || language == PrinterLanguage::EscP2 ||
           language == PrinterLanguage::Proprinter;
}

} // namespace

bool PrintJob::run(const JobSettings& settings, const std::function<void()>& loadScheme) {
    PageDevice& device = *m_printer;
    std::optional<LineBufferDevice> lineBuffer;
    auto leaveJob = [&] {
        useDevice(device);
        m_geometry.clearLanguageText();
        m_updateProgress(RestoreIcon);
    };
    try {
        m_printer->setOrientation(settings.orientation);
        if (loadScheme)
            loadScheme();
        if (hasLineBuffer(m_rules.scheme.language())) {
            m_lineBuffer = &lineBuffer.emplace(device);
            useDevice(*m_lineBuffer);
        }
        JobInput input(settings.path, settings.initString);
        m_lineWrap = settings.lineWrap;
        m_pageFeed = settings.pageFeed;
        m_job = JobState{};
        m_printedPage = false;
        m_job.pitch = startCell(settings);
        m_job.penX = m_geometry.OriginX;
        m_job.penY = m_geometry.OriginY;
        m_job.lineStart = m_geometry.OriginX;
        m_job.requested = m_printer->orientation();
        // A file without one CR is a text file of another system, or a capture of a
        // printer that returns the carriage itself: LF starts a new line there.
        m_job.lineFeedReturns = !input.fileHolds(CarriageReturn);

        EscapeInterpreter escapes(*m_printer, m_geometry, m_rules.scheme, m_rules.dropList, m_job,
                                  input);
        PrintHead head(
            *m_printer, m_geometry, m_job, [this] { startPage(); }, m_lineBuffer);
        std::unique_ptr<LanguageCommands> language =
            LanguageCommands::make(m_rules.scheme.language(), head, input, m_table);
        m_wrapBeforeCell = language && language->wrapsBeforeCharacter();
        m_wrapPending = false;
        if (language)
            language->start();
        printBytes(input, escapes, language.get());
        if (language)
            language->finish();
        if (m_lineBuffer)
            m_lineBuffer->printLine();
        useDevice(device);
        m_geometry.clearLanguageText();
    } catch (const JobStopped&) {
        // The document stays open with its whole pages: whoever stopped the job ends it with
        // cancel(), which takes it back from a printer rather than printing it.
        leaveJob();
        throw;
    } catch (...) {
        // No document is left open behind a failure; what a line buffer held is lost with it.
        leaveJob();
        if (m_printer->documentOpen()) {
            try {
                m_printer->endDocument();
            } catch (...) {
                // The failure that ended the job is the one the user is told of.
            }
        }
        throw;
    }
    m_updateProgress(RestoreIcon);
    if (m_printer->documentOpen())
        m_printer->endDocument();
    return m_printedPage;
}

void PrintJob::useDevice(PageDevice& printer) {
    if (&printer != m_lineBuffer)
        m_lineBuffer = nullptr;
    m_printer = &printer;
    m_geometry.setPrinter(printer);
    m_boxes.setPrinter(printer);
}

std::uint8_t PrintJob::startCell(const JobSettings& settings) {
    m_printer->setCanvasFont(settings.sampleFont);
    m_geometry.Condensed = false;
    m_geometry.clearLanguageText();
    std::uint8_t pitch = m_geometry.setcell(settings.sampleSize);
    // The job font takes the sample's face and style; setpitch then gives it the job's
    // character set and pitch.
    m_printer->createFont(jobFontRequest(m_printer->canvasFont().face, settings.sampleFont.style,
                                         m_geometry.FontHeight, m_geometry.CellWidth));
    m_geometry.setpitch(pitch);
    return pitch;
}

void PrintJob::findCellBytes(const EscapeInterpreter& escapes, const LanguageCommands* language) {
    for (int value = 0; value < 256; ++value) {
        const auto byte = static_cast<std::uint8_t>(value);
        const std::uint16_t code = m_table.code(byte);
        const std::uint8_t marker = m_table.marker(byte);
        const bool control = code == 0 || code == Backspace || code == LineFeed ||
                             code == FormFeed || code == CarriageReturn || code == Escape;
        const bool attempted = escapes.onlyAttemptedAt(byte);
        const bool fills =
            byte >= 0x20 && byte != Escape && !control &&
            !(language && (language->controls(byte) || language->translates(byte))) &&
            marker != InvisibleMarker && (attempted || !escapes.startsSequence(byte));
        m_cellBytes[byte] = !fills ? 0
                                   : FillsCell | (marker == BoxDrawingMarker ? BoxFigure : 0) |
                                         (attempted ? AfterAttempt : 0);
    }
}

void PrintJob::printBytes(JobInput& input, EscapeInterpreter& escapes, LanguageCommands* language) {
    findCellBytes(escapes, language);
    const std::uint32_t size = input.fileSize();
    const std::uint32_t progressDivisor = size / 16;
    std::uint32_t lastStep = 99;
    // The step only changes once so many bytes are done: no division for every byte.
    std::uint64_t nextStepAt = 0;
    // A language that sets its own text takes every byte: no cell runs, no grid.
    LanguageCommands* placing = language && language->placesText() ? language : nullptr;
    while (input.fileRemaining() > 0) {
        const std::uint32_t done = size - input.fileRemaining();
        if (progressDivisor > 0 && done >= nextStepAt) {
            std::uint32_t step = done / progressDivisor;
            if (step != lastStep) {
                m_updateProgress(static_cast<std::uint8_t>(step));
                lastStep = step;
            }
            nextStepAt = (static_cast<std::uint64_t>(step) + 1) * progressDivisor;
        }
        std::uint8_t byte = input.next();
        if (placing) {
            printByLanguage(byte, escapes, *placing);
            continue;
        }
        // Proportional text advances glyph by glyph: no runs of cells.
        if (m_cellBytes[byte] != 0 && m_job.pageOpen && m_job.penX <= RunPenLimit &&
            !m_wrapPending && !m_geometry.Proportional && !(language && language->gathering())) {
            // Up to the next step of the progress display, so that no step is skipped.
            const std::uint32_t toNextStep =
                progressDivisor > 0 ? static_cast<std::uint32_t>(nextStepAt - done) : MaxRun;
            printCells(byte, input, escapes, std::min<std::uint32_t>(toNextStep, MaxRun));
            continue;
        }
        // A picture being gathered sees the byte first; otherwise the scheme's own
        // entries and drop list win over the language.
        if (language && language->gathering() && takenByLanguage(byte, *language)) {
            afterLanguage();
            continue;
        }
        m_code = m_table.code(byte);
        // A byte that begins a recognised sequence is part of it: it neither prints (SI
        // for condensed would otherwise leave a blank cell) nor starts a built-in command.
        const bool recognised = escapes.startsSequence(byte) && escapes.matchAt(byte);
        if (!recognised && language && takenByLanguage(byte, *language)) {
            afterLanguage();
            continue;
        }
        if (recognised && m_code == Escape)
            m_code = 0;
        dispatch(byte, escapes);
        if (recognised)
            m_code = 0;
        if (m_code != 0 && language)
            m_code = language->character(byte, m_code);
        if (m_code != 0)
            output(byte);

        const PageSize page = m_printer->pageSize();
        if (lineFullAfter(m_code, page))
            lineFull(page);
        endPageIfFull(page);
    }
}

void PrintJob::afterLanguage() {
    // A picture or a move: the line does not wrap, the printer clips past the edge; a
    // character that would not fit after it starts the next line.
    m_code = 0;
    const PageSize page = m_printer->pageSize();
    m_wrapPending =
        m_wrapBeforeCell && m_lineWrap && m_job.penX > rightEdge(page) - m_geometry.CellWidth;
    endPageIfFull(page);
}

void PrintJob::printCells(std::uint8_t first, JobInput& input, EscapeInterpreter& escapes,
                          std::uint32_t limit) {
    // Bytes that only fill the next cell print as they would one by one, with the text
    // between frame figures and font refreshes handed over as one run. Nothing here reads
    // input: of the bytes looked at, those printed are taken at the end.
    std::uint8_t bytes[MaxRun];
    bytes[0] = first;
    const std::string_view ahead = input.following(limit - 1);
    std::copy(ahead.begin(), ahead.end(), bytes + 1);
    const std::size_t available = ahead.size() + 1;
    const PageSize page = m_printer->pageSize();
    char16_t text[MaxRun];
    std::size_t textLength = 0;
    std::size_t textStart = 0; // the byte the run's first character came from
    std::size_t taken = 0;

    for (std::size_t i = 0;; ++i) {
        const std::uint8_t byte = i < available ? bytes[i] : 0;
        const std::uint8_t kind = i < available ? m_cellBytes[byte] : 0;
        const std::uint8_t marker = m_table.marker(byte);
        // The characters gathered so far go before anything else the printer is asked to
        // do, up to the first after which the line is full.
        if (textLength > 0 && (kind != FillsCell || marker != m_geometry.FontCharset)) {
            const int cell = m_geometry.CellWidth;
            const DrawnRun drawn =
                m_printer->textRun(m_job.penX, m_job.penY + m_job.textDrop, cell,
                                   std::u16string_view(text, textLength),
                                   m_lineWrap ? rightEdge(page) : std::numeric_limits<int>::max());
            m_job.penX += static_cast<int>(drawn.count) * cell;
            taken = textStart + drawn.count;
            textLength = 0;
            if (drawn.lineFull) {
                lineFull(page);
                break;
            }
        }
        if (kind == 0)
            break;
        if ((kind & AfterAttempt) != 0)
            escapes.matchAt(byte);
        useCharset(marker);
        std::uint16_t code = m_table.code(byte);
        if ((kind & BoxFigure) != 0) {
            m_boxes.drawFigure(m_job.penX, m_job.penY, code, m_geometry.CellWidth,
                               m_geometry.FontHeight);
            m_job.penX += m_geometry.CellWidth;
            taken = i + 1;
            if (lineFullAfter(code, page)) {
                lineFull(page);
                break;
            }
        } else {
            if (textLength == 0)
                textStart = i;
            text[textLength++] = code;
        }
    }
    input.skip(taken - 1);
}

bool PrintJob::takenByLanguage(std::uint8_t byte, LanguageCommands& language) {
    if (byte == Escape ? language.escape() : language.control(byte))
        return true;
    // Raster rows end at the first byte that is not one of them.
    if (language.gathering())
        language.finish();
    return false;
}

void PrintJob::printByLanguage(std::uint8_t byte, EscapeInterpreter& escapes,
                               LanguageCommands& language) {
    // The scheme's own entries and drop list come first, so that an edited scheme wins.
    if (escapes.startsSequence(byte) && escapes.matchAt(byte))
        return;
    if (byte == Escape && language.escape())
        return;
    language.print(byte);
}

void PrintJob::dispatch(std::uint8_t byte, EscapeInterpreter& escapes) {
    // Control codes act on the translated code, so a table can make any byte a control.
    switch (m_code) {
    case Backspace:
        m_job.penX = movedPen(m_job.penX, -widthOf(Backspace));
        m_code = 0;
        break;
    case LineFeed:
        if (m_job.lineFeedReturns)
            m_job.penX = m_job.lineStart;
        m_job.penY = movedPen(m_job.penY, m_geometry.LineHeight);
        m_code = 0;
        break;
    case FormFeed:
        if (m_pageFeed) {
            m_job.pageOpen = false;
            m_job.penY = m_geometry.OriginY + m_job.topMargin;
        }
        m_job.penX = m_job.lineStart;
        m_code = 0;
        break;
    case CarriageReturn:
        m_job.penX = m_job.lineStart;
        m_code = 0;
        break;
    case Escape:
        escapes.escape();
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
    if (m_wrapPending) {
        m_wrapPending = false;
        wrapLine();
        endPageIfFull(m_printer->pageSize());
    }
    if (!m_job.pageOpen)
        startPage();
    const std::uint8_t marker = m_table.marker(byte);
    useCharset(marker);
    if (marker == BoxDrawingMarker) {
        m_boxes.drawFigure(m_job.penX, m_job.penY, m_code, m_geometry.CellWidth,
                           m_geometry.FontHeight);
        m_job.penX = movedPen(m_job.penX, m_geometry.CellWidth);
        return;
    }
    if (marker == InvisibleMarker)
        m_printer->pathText(m_job.penX, m_job.penY + m_job.textDrop, InvisibleGlyph);
    else
        m_printer->textOut(m_job.penX, m_job.penY + m_job.textDrop, m_code);
    m_job.lastAdvance =
        m_geometry.Proportional ? widthOf(m_code) + m_geometry.ExtraSpace : m_geometry.CellWidth;
    m_job.penX = movedPen(m_job.penX, m_job.lastAdvance);
}

void PrintJob::startPage() {
    m_job.pageOpen = true;
    m_printedPage = true;
    if (!m_printer->documentOpen()) {
        m_printer->beginDocument(DocumentTitle);
    } else if (m_printer->orientation() == m_job.requested) {
        m_printer->newPage();
    } else {
        m_printer->endDocument();
        m_printer->setOrientation(m_job.requested);
        m_job.penY = m_geometry.OriginY + m_job.topMargin;
        m_printer->beginDocument(DocumentTitle);
    }
}

int PrintJob::widthOf(char16_t character) const {
    return m_printer->textExtent(std::u16string_view(&character, 1)).width;
}

} // namespace marlet
