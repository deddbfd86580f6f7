#include "languages/escp/EscPCommands.h"

#include <algorithm>

namespace marlet {

namespace {

constexpr std::uint8_t Backspace = 0x08;
constexpr std::uint8_t Tab = 0x09;
constexpr std::uint8_t LineFeed = 0x0A;
constexpr std::uint8_t VerticalTab = 0x0B;
constexpr std::uint8_t FormFeed = 0x0C;
constexpr std::uint8_t CarriageReturn = 0x0D;
constexpr std::uint8_t ShiftOut = 0x0E;
constexpr std::uint8_t ShiftIn = 0x0F;
constexpr std::uint8_t DeviceControl2 = 0x12;
constexpr std::uint8_t DeviceControl4 = 0x14;
constexpr std::uint8_t Cancel = 0x18;

// At power-on a tab stop stands every eight pica columns, 32 of them.
constexpr int PowerOnTabs = 32;
constexpr int PowerOnTabStep360 = 8 * 36;

std::uint8_t byteAt(std::string_view bytes, std::size_t at) {
    return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) : 0;
}

int wordAt(std::string_view bytes, std::size_t at) {
    return byteAt(bytes, at) + 256 * byteAt(bytes, at + 1);
}

// The switches that take 0/1 in binary or as the digits "0"/"1".
bool switchOn(std::uint8_t n) {
    return (n & 1) != 0;
}

} // namespace

EscPCommands::EscPCommands(PrinterLanguage language, PrintHead& head, JobInput& input)
    : m_language(language), m_head(head), m_input(input), m_images(language, head) {
    if (language == PrinterLanguage::EscP2)
        m_verticalUnit = 180;
}

void EscPCommands::start() {
    powerOn();
}

void EscPCommands::powerOn() {
    m_text = EscPTextState{};
    m_text.apply(m_head);
    m_head.setLineSpacing(1, 6);
    m_storedSpacing = 12;
    m_autoLineFeed = false;
    m_unit3600 = 10;
    m_leftMargin360 = 0;
    m_rightMargin360 = 0;
    m_horizontalTabs.clear();
    for (int i = 1; i <= PowerOnTabs; ++i)
        m_horizontalTabs.push_back(i * PowerOnTabStep360);
    m_verticalTabs.clear();
    m_bottomSkip = 0;
    m_formLength = std::int64_t{m_head.printer().pageSize().height} - m_head.geometry().OriginY;
    applyMargins();
    applyForm();
}

bool EscPCommands::escape() {
    const EscPCommand* command = findEscPCommand(m_language, m_input.ahead(2));
    if (!command)
        return false;
    std::optional<std::size_t> length = escPCommandLength(
        *command, m_language, [this](std::size_t bytes) { return m_input.ahead(bytes); });
    if (!length) {
        // The job ends inside the command: what is left is all its own. An image draws the
        // whole columns among it.
        const std::string_view rest =
            m_input.ahead(std::size_t{m_input.initRemaining()} + m_input.fileRemaining());
        if (command->action == EscPAction::ColumnImage ||
            command->action == EscPAction::StarImage || command->action == EscPAction::NineDotImage)
            m_images.draw(rest);
        m_input.take(rest.size());
        return true;
    }
    const std::string_view bytes = m_input.ahead(*length);
    act(*command, bytes);
    m_input.take(*length);
    return true;
}

void EscPCommands::act(const EscPCommand& command, std::string_view bytes) {
    const std::string_view parameters = bytes.substr(command.name.size());
    JobState& job = m_head.job();
    switch (command.action) {
    case EscPAction::Ignore:
    case EscPAction::RasterImage:
    case EscPAction::International:
        break;
    case EscPAction::Reset:
        powerOn();
        break;
    case EscPAction::ColumnImage:
    case EscPAction::StarImage:
    case EscPAction::NineDotImage:
        m_images.draw(bytes);
        break;
    case EscPAction::SpacingEighth:
        m_head.setLineSpacing(1, 8);
        break;
    case EscPAction::SpacingSevenSeventySeconds:
        m_head.setLineSpacing(7, 72);
        break;
    case EscPAction::SpacingSixth:
        if (m_language == PrinterLanguage::Proprinter)
            m_head.setLineSpacing(m_storedSpacing, 72);
        else
            m_head.setLineSpacing(1, 6);
        break;
    case EscPAction::SpacingUnits:
        m_head.setLineSpacing(byteAt(parameters, 0), m_verticalUnit);
        break;
    case EscPAction::SpacingA:
        if (m_language == PrinterLanguage::Proprinter)
            m_storedSpacing = byteAt(parameters, 0);
        else
            m_head.setLineSpacing(byteAt(parameters, 0),
                                  m_language == PrinterLanguage::EscP2 ? 60 : 72);
        break;
    case EscPAction::Spacing360:
        m_head.setLineSpacing(byteAt(parameters, 0), 360);
        break;
    case EscPAction::Advance:
        m_head.setPenY(std::int64_t{job.penY} + m_head.down(byteAt(parameters, 0), m_verticalUnit));
        break;
    case EscPAction::AbsoluteX:
        m_head.setPenX(std::int64_t{job.lineStart} + m_head.across(wordAt(parameters, 0), 60));
        break;
    case EscPAction::RelativeX:
        // A signed 16-bit step: 1/120 inch on 9 pins, 1/180 in letter quality on 24.
        m_head.setPenX(std::int64_t{job.penX} +
                       m_head.across(static_cast<std::int16_t>(wordAt(parameters, 0)),
                                     m_language == PrinterLanguage::EscP2 ? 180 : 120));
        break;
    default:
        actOnStyle(command.action, parameters);
        actOnPage(command.action, parameters);
        break;
    }
}

void EscPCommands::actOnStyle(EscPAction action, std::string_view parameters) {
    const std::uint8_t n = byteAt(parameters, 0);
    EscPTextState& text = m_text;
    switch (action) {
    case EscPAction::Pica:
        text.pitch360 = 36;
        break;
    case EscPAction::Elite:
        text.pitch360 = 30;
        break;
    case EscPAction::Fifteen:
        text.pitch360 = 24;
        break;
    case EscPAction::Condensed:
        text.condensed = true;
        break;
    case EscPAction::DoubleWidthLine:
        text.doubleWidthLine = true;
        break;
    case EscPAction::MasterSelect:
        text.pitch360 = (n & 1) ? 30 : 36;
        text.condensed = (n & 4) != 0;
        text.bold = (n & 8) != 0;
        text.doubleStrike = (n & 16) != 0;
        text.doubleWidth = (n & 32) != 0;
        text.italic = (n & 64) != 0;
        text.underline = (n & 128) != 0;
        break;
    case EscPAction::Bold:
    case EscPAction::NoBold:
        text.bold = action == EscPAction::Bold;
        break;
    case EscPAction::DoubleStrike:
    case EscPAction::NoDoubleStrike:
        text.doubleStrike = action == EscPAction::DoubleStrike;
        break;
    case EscPAction::Italic:
    case EscPAction::NoItalic:
        text.italic = action == EscPAction::Italic;
        break;
    case EscPAction::Underline:
        // 1 single, 2 double (ESC/P2); 0 off; as binary values or digits.
        if (n <= 2 || (n >= '0' && n <= '2'))
            text.underline = (n & 3) != 0;
        break;
    case EscPAction::DoubleWidth:
        text.doubleWidth = switchOn(n);
        break;
    case EscPAction::DoubleHeight:
        text.doubleHeight = switchOn(n);
        break;
    case EscPAction::Script:
        text.script = switchOn(n) ? EscPTextState::Script::Sub : EscPTextState::Script::Super;
        break;
    case EscPAction::NoScript:
        text.script = EscPTextState::Script::None;
        break;
    case EscPAction::ExtraSpace:
        // n/120 inch on 9 pins, n/180 on 24.
        text.extraSpace360 = n * (m_language == PrinterLanguage::EscP2 ? 2 : 3);
        break;
    case EscPAction::PitchAndPoint: {
        // ESC X m nL nH: m/360 inch a character from 5 up (1 is proportional, kept fixed
        // here); nL + 256 nH half points, 0 keeping the size.
        if (n >= 5)
            text.pitch360 = n;
        const int halves = wordAt(parameters, 1);
        if (halves > 0)
            text.pointHalves = std::min(halves, 2 * 127);
        break;
    }
    case EscPAction::ScoreLine: {
        // nL nH m d1 d2: d1 1 underline, 2 strike-through, 3 overscore; d2 0 removes it.
        const std::uint8_t which = byteAt(parameters, 3);
        const bool on = byteAt(parameters, 4) != 0;
        if (which == 1)
            text.underline = on;
        else if (which == 2)
            text.strikeout = on;
        break;
    }
    default:
        return;
    }
    m_text.apply(m_head);
}

void EscPCommands::actOnPage(EscPAction action, std::string_view parameters) {
    const std::uint8_t n = byteAt(parameters, 0);
    JobState& job = m_head.job();
    const PageGeometry& geometry = m_head.geometry();
    const std::int64_t unit = m_unit3600;
    switch (action) {
    case EscPAction::FormLength:
        // ESC C n in lines of the spacing now in force, ESC C NUL n in inches.
        if (n != 0)
            setFormLength(std::int64_t{n} * geometry.LineHeight);
        else if (byteAt(parameters, 1) != 0)
            setFormLength(m_head.down(byteAt(parameters, 1), 1));
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
        m_leftMargin360 = n * m_text.cell360();
        applyMargins();
        break;
    case EscPAction::RightMargin:
        m_rightMargin360 = n * m_text.cell360();
        applyMargins();
        break;
    case EscPAction::Margins:
        // The Proprinter counts columns from 1; 0 leaves a margin where it is.
        if (n != 0)
            m_leftMargin360 = (n - 1) * m_text.cell360();
        if (byteAt(parameters, 1) != 0)
            m_rightMargin360 = byteAt(parameters, 1) * m_text.cell360();
        applyMargins();
        break;
    case EscPAction::HorizontalTabs:
        m_horizontalTabs.clear();
        for (char column : parameters) {
            if (column == 0)
                break;
            m_horizontalTabs.push_back(static_cast<std::uint8_t>(column) * m_text.cell360());
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
        m_horizontalTabs.clear();
        for (int i = 1; i <= PowerOnTabs; ++i)
            m_horizontalTabs.push_back(i * PowerOnTabStep360);
        m_verticalTabs.clear();
        break;
    case EscPAction::AutoLineFeed:
        m_autoLineFeed = switchOn(n);
        break;
    case EscPAction::PageLength:
        // ESC ( C 2 0 mL mH: the page length in the unit of ESC ( U.
        setFormLength(m_head.down(wordAt(parameters, 2) * unit, 3600));
        break;
    case EscPAction::PageFormat:
        // ESC ( c 4 0 tL tH bL bH: the bottom margin, from the top of the page, ends the form.
        if (wordAt(parameters, 4) > 0)
            setFormLength(m_head.down(wordAt(parameters, 4) * unit, 3600));
        break;
    case EscPAction::AbsoluteY:
        m_head.setPenY(std::int64_t{geometry.OriginY} +
                       m_head.down(wordAt(parameters, 2) * unit, 3600));
        break;
    case EscPAction::RelativeY:
        m_head.setPenY(std::int64_t{job.penY} +
                       m_head.down(static_cast<std::int16_t>(wordAt(parameters, 2)) * unit, 3600));
        break;
    case EscPAction::Unit:
        if (byteAt(parameters, 2) != 0)
            m_unit3600 = byteAt(parameters, 2);
        break;
    default:
        break;
    }
}

void EscPCommands::setFormLength(std::int64_t pixels) {
    m_formLength = std::max<std::int64_t>(pixels, 1);
    applyForm();
}

void EscPCommands::applyForm() {
    // A form never runs onto a second sheet: it ends at the sheet's printable bottom.
    const std::int64_t top = m_head.geometry().OriginY;
    const std::int64_t bottom = std::min<std::int64_t>(top + m_formLength - m_bottomSkip,
                                                       m_head.printer().pageSize().height);
    m_head.job().formEnd = static_cast<std::int32_t>(std::max(bottom, top + 1));
}

void EscPCommands::applyMargins() {
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

bool EscPCommands::control(std::uint8_t byte) {
    if (!controls(byte))
        return false;
    JobState& job = m_head.job();
    switch (byte) {
    case CarriageReturn:
        job.penX = job.lineStart;
        if (m_autoLineFeed)
            lineFeed(m_head.geometry().LineHeight);
        break;
    case LineFeed:
        lineFeed(m_head.geometry().LineHeight);
        break;
    case FormFeed:
        formFeed();
        break;
    case Backspace:
        job.penX = std::max(job.lineStart, job.penX - m_head.geometry().CellWidth);
        break;
    case Tab:
        horizontalTab();
        break;
    case VerticalTab:
        verticalTab();
        break;
    case ShiftOut:
        m_text.doubleWidthLine = true;
        m_text.apply(m_head);
        break;
    case ShiftIn:
        m_text.condensed = true;
        m_text.apply(m_head);
        break;
    case DeviceControl2:
        // The Proprinter's DC2 also returns to 10 cpi.
        m_text.condensed = false;
        if (m_language == PrinterLanguage::Proprinter)
            m_text.pitch360 = 36;
        m_text.apply(m_head);
        break;
    case DeviceControl4:
        m_text.doubleWidthLine = false;
        m_text.apply(m_head);
        break;
    case Cancel:
        // The line's text is already on the page; the next starts at the margin over it.
        job.penX = job.lineStart;
        break;
    default:
        // NUL, BEL, DC1, DC3, DEL and the rest move nothing and take no cell.
        break;
    }
    return true;
}

void EscPCommands::lineFeed(std::int64_t pixels) {
    JobState& job = m_head.job();
    // An Epson printer prints its line at LF and starts the next at the margin; the
    // Proprinter only feeds, unless the job has no CR at all.
    if (m_language != PrinterLanguage::Proprinter || job.lineFeedReturns)
        job.penX = job.lineStart;
    m_head.setPenY(std::int64_t{job.penY} + pixels);
    if (m_text.doubleWidthLine) {
        m_text.doubleWidthLine = false;
        m_text.apply(m_head);
    }
}

void EscPCommands::formFeed() {
    JobState& job = m_head.job();
    job.pageOpen = false;
    job.penY = m_head.geometry().OriginY;
    job.penX = job.lineStart;
    if (m_text.doubleWidthLine) {
        m_text.doubleWidthLine = false;
        m_text.apply(m_head);
    }
}

void EscPCommands::horizontalTab() {
    JobState& job = m_head.job();
    for (int stop : m_horizontalTabs) {
        const std::int64_t x = std::int64_t{job.lineStart} + m_head.across(stop, 360);
        if (x > job.penX) {
            m_head.setPenX(x);
            return;
        }
    }
}

void EscPCommands::verticalTab() {
    JobState& job = m_head.job();
    if (m_verticalTabs.empty()) {
        lineFeed(m_head.geometry().LineHeight);
        return;
    }
    const std::int64_t top = m_head.geometry().OriginY;
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
