#pragma once

#include "BoxRenderer.h"
#include "EscapeInterpreter.h"
#include "LineBufferDevice.h"
#include "PageDevice.h"
#include "PageGeometry.h"
#include "charset/CodePageTable.h"
#include "config/ActiveScheme.h"
#include "languages/LanguageCommands.h"

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace marlet {

class JobInput;

/// What a job takes from the settings at its start.
struct JobSettings {
    std::string path;
    Orientation orientation = Orientation::Portrait;
    CanvasFont sampleFont;
    int sampleSize = 10;
    bool lineWrap = true;
    bool pageFeed = true;
    std::string initString;
};

/// What the escape interpreter recognises: the active scheme and the drop list.
struct EscapeRules {
    const ActiveScheme& scheme;
    const std::vector<std::string>& dropList;
};

/// Turns one file of captured printer output into pages: each byte translated through the
/// code page, escape sequences acted on, control codes obeyed, everything else drawn in the
/// next cell of the grid. Pages and documents start lazily at the first drawn character.
class PrintJob {
public:
    using ProgressStep = std::function<void(std::uint8_t)>;

    PrintJob(PageDevice& printer, PageGeometry& geometry, const CodePageTable& table,
             BoxRenderer& boxes, EscapeRules rules, ProgressStep updateProgress)
        : m_printer(&printer), m_geometry(geometry), m_table(table), m_boxes(boxes), m_rules(rules),
          m_updateProgress(std::move(updateProgress)) {}

    /// Prints the file; loadScheme refreshes the escape-sequence scheme once the printer
    /// has its orientation. Any open document is ended before an error leaves. Returns
    /// whether any page was printed: a file of nothing but blanks and feeds gives none.
    bool run(const JobSettings& settings, const std::function<void()>& loadScheme = {});

    /// Gives the canvas the sample font and derives the cell and the first job font as a
    /// job starts; returns the job's first pitch.
    std::uint8_t startCell(const JobSettings& settings);

    static constexpr const char* DocumentTitle = "DOS-console task";

private:
    /// The most bytes printed as one run of cells.
    static constexpr int MaxRun = 256;
    /// Pens left of this can take a whole run of the widest cells without reaching PenLimit.
    static constexpr std::int32_t RunPenLimit =
        PenLimit - MaxRun * std::numeric_limits<std::uint16_t>::max();

    /// Bytes that print in the next cell and do nothing else, as flags: a box figure or
    /// a character, under some schemes after a matching attempt that matches nothing.
    enum CellByte : std::uint8_t { FillsCell = 1, BoxFigure = 2, AfterAttempt = 4 };

    void findCellBytes(const EscapeInterpreter& escapes, const LanguageCommands* language);
    /// Draws on printer from now on: the job, its grid and its frames.
    void useDevice(PageDevice& printer);
    void printBytes(JobInput& input, EscapeInterpreter& escapes, LanguageCommands* language);
    void printCells(std::uint8_t first, JobInput& input, EscapeInterpreter& escapes,
                    std::uint32_t limit);
    bool takenByLanguage(std::uint8_t byte, LanguageCommands& language);
    void printByLanguage(std::uint8_t byte, EscapeInterpreter& escapes, LanguageCommands& language);
    void afterLanguage();
    void dispatch(std::uint8_t byte, EscapeInterpreter& escapes);
    void output(std::uint8_t byte);
    // These run for nearly every byte: they stay inline.
    /// Makes the job font again when the character set changes between cells.
    void useCharset(std::uint8_t marker) {
        // Every font the job makes ends with setpitch, so the canvas font's character set is
        // always the one setpitch was given.
        if (m_geometry.FontCharset != marker) {
            m_geometry.FontCharset = marker;
            m_geometry.setpitch(m_job.pitch);
        }
    }
    /// Whether, with wrap on, the line is full after the character just printed: another as
    /// wide would pass the right edge.
    bool lineFullAfter(std::uint16_t code, PageSize page) const {
        return m_lineWrap && m_job.penX > rightEdge(page) - widthOf(code);
    }
    /// Where the line ends: the page's edge, or a language's right margin.
    int rightEdge(PageSize page) const {
        return m_job.rightMargin != 0 ? m_job.rightMargin : page.width;
    }
    /// Moves the pen to the start of the next line.
    void wrapLine() {
        // A full line prints before the next is set.
        if (m_lineBuffer)
            m_lineBuffer->printLine();
        m_job.penX = m_job.lineStart;
        m_job.penY = movedPen(m_job.penY, m_geometry.LineHeight);
    }
    /// At a full line: the next line at once, or, for a language whose printer wraps
    /// before the character that does not fit, at the next character.
    void lineFull(PageSize page) {
        if (m_wrapBeforeCell) {
            m_wrapPending = true;
            return;
        }
        wrapLine();
        endPageIfFull(page);
    }
    /// Ends the page when the pen has come within two lines of its bottom, or when a line
    /// would pass the end of a language's form.
    void endPageIfFull(PageSize page) {
        if (m_job.formEnd != 0 ? m_job.penY + m_geometry.LineHeight > m_job.formEnd
                               : m_job.penY > page.height - 2 * m_geometry.FontHeight) {
            m_job.penY = m_geometry.OriginY + m_job.topMargin;
            m_job.pageOpen = false;
        }
    }
    void startPage();
    int widthOf(char16_t character) const;

    PageDevice* m_printer;
    /// The printer's line buffer in front of the device while a dot-matrix language is on.
    LineBufferDevice* m_lineBuffer = nullptr;
    PageGeometry& m_geometry;
    const CodePageTable& m_table;
    BoxRenderer& m_boxes;
    EscapeRules m_rules;
    ProgressStep m_updateProgress;

    bool m_lineWrap = true;
    bool m_pageFeed = true;
    JobState m_job;
    bool m_printedPage = false;
    bool m_wrapBeforeCell = false;
    bool m_wrapPending = false;
    std::uint16_t m_code = 0;
    std::array<std::uint8_t, 256> m_cellBytes{};
};

} // namespace marlet
