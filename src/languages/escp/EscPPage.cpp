#include "languages/escp/EscPPage.h"

#include "base/Rounding.h"

#include <algorithm>

namespace marlet {

namespace {

// At power-on a tab stop stands every eight pica columns, 32 of them.
constexpr int PowerOnTabs = 32;
constexpr int PowerOnTabStep360 = 8 * 36;
// The line of the printers: 80 columns of pica, ten to the inch.
constexpr std::int64_t CarriageColumns = 80;
constexpr std::int64_t PicaPerInch = 10;
// A sheet that holds so many pica columns takes the whole line scaled to fit.
constexpr std::int64_t FittedColumns = 72;

} // namespace

void EscPPage::powerOn() {
    m_autoLineFeed = false;
    m_unit3600 = 10;
    m_leftMargin360 = 0;
    m_rightMargin360 = 0;
    resetTabs();
    m_bottomSkip = 0;
    m_topMargin3600 = 0;
    m_formUnits = std::int64_t{m_head.printer().pageSize().height} - m_head.geometry().OriginY;
    m_formPerInch = m_head.geometry().resy();
    applyMargins();
    applyForm();
}

void EscPPage::resetTabs() {
    m_horizontalTabs.clear();
    for (int i = 1; i <= PowerOnTabs; ++i)
        m_horizontalTabs.push_back(i * PowerOnTabStep360);
    m_verticalTabs.clear();
}

void EscPPage::act(EscPAction action, std::string_view parameters, int cell360) {
    const std::uint8_t n = parameterByte(parameters, 0);
    JobState& job = m_head.job();
    const PageGeometry& geometry = m_head.geometry();
    const std::int64_t unit = m_unit3600;
    switch (action) {
    case EscPAction::FormLength:
        // ESC C n in lines of the spacing now in force, ESC C NUL n in inches.
        if (n != 0)
            setFormLength(std::int64_t{n} * m_head.lineSpacingUnits(), m_head.lineSpacingPerInch());
        else if (parameterByte(parameters, 1) != 0)
            setFormLength(parameterByte(parameters, 1), 1);
        break;
    case EscPAction::SkipPerforation:
        m_bottomSkip = std::int64_t{n} * geometry.LineHeight;
        applyForm();
        break;
    case EscPAction::NoSkipPerforation:
        m_bottomSkip = 0;
        applyForm();
        break;
    case EscPAction::LeftMargin:
        m_leftMargin360 = n * cell360;
        applyMargins();
        break;
    case EscPAction::RightMargin:
        m_rightMargin360 = n * cell360;
        applyMargins();
        break;
    case EscPAction::Margins:
        // The Proprinter counts columns from 1; 0 leaves a margin where it is.
        if (n != 0)
            m_leftMargin360 = (n - 1) * cell360;
        if (parameterByte(parameters, 1) != 0)
            m_rightMargin360 = parameterByte(parameters, 1) * cell360;
        applyMargins();
        break;
    case EscPAction::HorizontalTabs:
        m_horizontalTabs.clear();
        for (char column : parameters) {
            if (column == 0)
                break;
            m_horizontalTabs.push_back(static_cast<std::uint8_t>(column) * cell360);
        }
        break;
    case EscPAction::VerticalTabs:
        m_verticalTabs.clear();
        for (char line : parameters) {
            if (line == 0)
                break;
            m_verticalTabs.push_back(static_cast<std::uint8_t>(line) * geometry.LineHeight);
        }
        break;
    case EscPAction::ResetTabs:
        resetTabs();
        break;
    case EscPAction::AutoLineFeed:
        m_autoLineFeed = (n & 1) != 0;
        break;
    case EscPAction::PageLength:
        // ESC ( C 2 0 mL mH: the page length in the unit of ESC ( U.
        setFormLength(parameterWord(parameters, 2) * unit, 3600);
        break;
    case EscPAction::PageFormat:
        // ESC ( c 4 0 tL tH bL bH: both margins count from the top of the page; the bottom
        // one ends the form, the first line of every page prints at the top one.
        if (parameterWord(parameters, 4) > 0)
            setFormLength(parameterWord(parameters, 4) * unit, 3600);
        m_topMargin3600 = parameterWord(parameters, 2) * unit;
        applyForm();
        if (job.penY < geometry.OriginY + job.topMargin)
            job.penY = geometry.OriginY + job.topMargin;
        break;
    case EscPAction::AbsoluteY:
        // Counted from the top margin.
        m_head.setPenY(std::int64_t{geometry.OriginY} + job.topMargin +
                       m_head.down(parameterWord(parameters, 2) * unit, 3600));
        break;
    case EscPAction::RelativeY:
        m_head.setPenY(
            std::int64_t{job.penY} +
            m_head.down(static_cast<std::int16_t>(parameterWord(parameters, 2)) * unit, 3600));
        break;
    case EscPAction::Unit:
        if (parameterByte(parameters, 2) != 0)
            m_unit3600 = parameterByte(parameters, 2);
        break;
    default:
        break;
    }
}

void EscPPage::setFormLength(std::int64_t units, int perInch) {
    if (units <= 0 || perInch <= 0)
        return;
    // A new page length clears the top margin of ESC ( c.
    m_formUnits = units;
    m_formPerInch = perInch;
    m_topMargin3600 = 0;
    applyForm();
}

void EscPPage::applyForm() {
    // The printer's line is 80 pica columns: a sheet a little narrower (A4 inside a laser
    // printer's margins) prints everything scaled to fit it, to a whole pixel a column; a
    // much narrower one, a label, prints at full size and wraps at its edge. A form never
    // runs onto a second sheet: one taller than the sheet prints scaled to fit it. Text,
    // spacing and images scale alike.
    const PageGeometry& geometry = m_head.geometry();
    const PageSize page = m_head.printer().pageSize();
    const std::int64_t top = geometry.OriginY;
    const std::int64_t room = std::max<std::int64_t>(page.height - top, 1);
    const std::int64_t column =
        std::max<std::int64_t>((std::int64_t{page.width} - geometry.OriginX) / CarriageColumns, 1);
    const std::int64_t natural =
        std::max<std::int64_t>(roundRatio(m_formUnits * geometry.resy(), m_formPerInch), 1);
    std::int64_t numerator = 1;
    std::int64_t denominator = 1;
    if (column * PicaPerInch < geometry.resx() &&
        column * PicaPerInch * CarriageColumns >= geometry.resx() * FittedColumns) {
        numerator = column * PicaPerInch;
        denominator = geometry.resx();
    }
    if (natural * numerator > room * denominator) {
        numerator = room;
        denominator = natural;
    }
    m_head.setScale(numerator, denominator);
    const std::int64_t length =
        std::min(room, roundRatio(natural * numerator, denominator)) - m_bottomSkip;
    m_head.job().formEnd = static_cast<std::int32_t>(top + std::max<std::int64_t>(length, 1));
    // A top margin at or past the form's end leaves one line's room at most: the top.
    const std::int64_t topMargin = m_head.down(m_topMargin3600, 3600);
    m_head.job().topMargin =
        static_cast<std::int32_t>(topMargin < std::max<std::int64_t>(length, 1) ? topMargin : 0);
    applyMargins();
}

void EscPPage::applyMargins() {
    JobState& job = m_head.job();
    const std::int64_t width = m_head.printer().pageSize().width;
    const std::int64_t origin = m_head.geometry().OriginX;
    job.lineStart = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(origin + m_head.across(m_leftMargin360, 360), 0, width));
    job.rightMargin =
        m_rightMargin360 == 0
            ? 0
            : static_cast<std::int32_t>(std::clamp<std::int64_t>(
                  origin + m_head.across(m_rightMargin360, 360), job.lineStart + 1, width));
    if (job.penX < job.lineStart)
        job.penX = job.lineStart;
}

void EscPPage::carriageReturn() {
    m_head.printLine();
    m_head.job().penX = m_head.job().lineStart;
    if (m_autoLineFeed)
        lineFeed();
}

void EscPPage::lineFeed() {
    JobState& job = m_head.job();
    // An Epson printer prints its line at LF and starts the next at the margin; the
    // Proprinter only feeds, unless the job has no CR at all.
    if (m_language != PrinterLanguage::Proprinter || job.lineFeedReturns)
        job.penX = job.lineStart;
    m_head.setPenY(std::int64_t{job.penY} + m_head.geometry().LineHeight);
}

void EscPPage::formFeed() {
    JobState& job = m_head.job();
    m_head.printLine();
    job.pageOpen = false;
    job.penY = m_head.geometry().OriginY + job.topMargin;
    job.penX = job.lineStart;
}

void EscPPage::horizontalTab() {
    JobState& job = m_head.job();
    for (int stop : m_horizontalTabs) {
        const std::int64_t x = std::int64_t{job.lineStart} + m_head.across(stop, 360);
        if (x > job.penX) {
            m_head.setPenX(x);
            return;
        }
    }
}

void EscPPage::verticalTab() {
    JobState& job = m_head.job();
    if (m_verticalTabs.empty()) {
        lineFeed();
        return;
    }
    // Stops count from the top margin (ESC ( c), the first printed line of the form.
    const std::int64_t top = std::int64_t{m_head.geometry().OriginY} + job.topMargin;
    for (int stop : m_verticalTabs) {
        if (top + stop > job.penY) {
            job.penX = job.lineStart;
            m_head.setPenY(top + stop);
            return;
        }
    }
    formFeed();
}

} // namespace marlet
