#pragma once

#include "render/BitImage.h"
#include "render/EscapeInterpreter.h"
#include "render/LineBufferDevice.h"
#include "render/PageDevice.h"
#include "render/PageGeometry.h"

#include <cstdint>
#include <functional>

namespace marlet {

/// Where a printer language's commands land: the pen of the job, the line spacing of the
/// grid, and bit images drawn at the pen. Distances come in the language's own units
/// (n/216 inch, n/180 inch, decipoints) and are rounded to device pixels as a whole, so that
/// equal distances always give equal pixels.
class PrintHead {
public:
    /// openPage starts a page (or a document) when none is open, as the first drawn
    /// character does; lineBuffer, when given, is the printer's buffer of the line being set.
    PrintHead(PageDevice& printer, PageGeometry& geometry, JobState& job,
              std::function<void()> openPage, LineBufferDevice* lineBuffer = nullptr)
        : m_printer(printer), m_geometry(geometry), m_job(job), m_openPage(std::move(openPage)),
          m_lineBuffer(lineBuffer) {}

    JobState& job() { return m_job; }
    const PageGeometry& geometry() const { return m_geometry; }
    /// The printer the head draws on.
    PageDevice& printer() { return m_printer; }
    /// Starts a page when none is open, before something is drawn on it.
    void openPage() {
        if (!m_job.pageOpen)
            m_openPage();
    }
    /// The grid, for a language that sets the cell and its font.
    PageGeometry& geometry() { return m_geometry; }

    /// Prints the line set so far: the line ends.
    void printLine() {
        if (m_lineBuffer)
            m_lineBuffer->printLine();
    }
    /// Forgets the line set so far and not yet printed.
    void cancelLine() {
        if (m_lineBuffer)
            m_lineBuffer->cancelLine();
    }

    /// Puts the pen at x across, held to the printable width: a move past the sheet stops
    /// at its edge, as the head stops at the end of the carriage.
    void setPenX(std::int64_t x);
    /// Puts the pen at y down, held between the top of the printable area and its bottom;
    /// the line set so far prints first.
    void setPenY(std::int64_t y);

    /// Device pixels across for units of 1/perInch inch.
    int across(std::int64_t units, int perInch) const;
    /// Device pixels down for units of 1/perInch inch.
    int down(std::int64_t units, int perInch) const;
    /// Line feeds from now on move down units/perInch inch; fails with "Range check error"
    /// when that does not fit the line height.
    void setLineSpacing(std::int64_t units, int perInch);
    /// Draws everything numerator/denominator of its size from now on (a form taller than
    /// the sheet, scaled to fit it); the line spacing follows at once.
    void setScale(std::int64_t numerator, std::int64_t denominator);
    /// The line spacing last set, in units of 1/lineSpacingPerInch() inch.
    std::int64_t lineSpacingUnits() const { return m_spacingUnits; }
    int lineSpacingPerInch() const { return m_spacingPerInch; }

    /// Draws a picture of dotsPerInchX by dotsPerInchY dots to the inch with its top-left
    /// corner at the pen and returns its size in device pixels. A picture without ink
    /// draws nothing and opens no page, but keeps its size.
    PageSize place(const BitImage& image, int dotsPerInchX, int dotsPerInchY);

private:
    PageDevice& m_printer;
    PageGeometry& m_geometry;
    JobState& m_job;
    std::function<void()> m_openPage;
    LineBufferDevice* m_lineBuffer;
    std::int64_t m_scaleNumerator = 1;
    std::int64_t m_scaleDenominator = 1;
    std::int64_t m_spacingUnits = 0;
    int m_spacingPerInch = 0;
};

} // namespace marlet
