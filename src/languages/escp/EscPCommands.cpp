#include "languages/escp/EscPCommands.h"

#include "render/ControlBytes.h"

#include <algorithm>

namespace marlet {

namespace {

// The switches that take 0/1 in binary or as the digits "0"/"1".
bool switchOn(std::uint8_t n) {
    return (n & 1) != 0;
}

} // namespace

EscPCommands::EscPCommands(PrinterLanguage language, PrintHead& head, JobInput& input)
    : m_language(language), m_head(head), m_input(input), m_images(language, head),
      m_page(language, head) {
    if (language == PrinterLanguage::EscP2)
        m_verticalUnit = 180;
}

void EscPCommands::start() {
    // Fixed-pitch text prints in the job's own face, the one the grid starts with.
    m_fixedFace = m_head.printer().canvasFont().face;
    powerOn();
}

void EscPCommands::applyText() {
    m_text.apply(m_head, m_fixedFace);
}

void EscPCommands::powerOn() {
    m_head.setLineSpacing(1, 6);
    m_page.powerOn();
    m_text = EscPTextState{};
    applyText();
    m_storedSpacing = 12;
    m_country = 0;
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
            command->action == EscPAction::StarImage ||
            command->action == EscPAction::NineDotImage ||
            command->action == EscPAction::RasterImage)
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
        break;
    case EscPAction::International:
        if (isCountry(parameterByte(parameters, 0)))
            m_country = parameterByte(parameters, 0);
        break;
    case EscPAction::Reset:
        powerOn();
        break;
    case EscPAction::ColumnImage:
    case EscPAction::StarImage:
    case EscPAction::NineDotImage:
    case EscPAction::RasterImage:
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
        m_head.setLineSpacing(parameterByte(parameters, 0), m_verticalUnit);
        break;
    case EscPAction::SpacingA:
        if (m_language == PrinterLanguage::Proprinter)
            m_storedSpacing = parameterByte(parameters, 0);
        else
            m_head.setLineSpacing(parameterByte(parameters, 0),
                                  m_language == PrinterLanguage::EscP2 ? 60 : 72);
        break;
    case EscPAction::Spacing360:
        m_head.setLineSpacing(parameterByte(parameters, 0), 360);
        break;
    case EscPAction::Advance:
        m_head.setPenY(std::int64_t{job.penY} +
                       m_head.down(parameterByte(parameters, 0), m_verticalUnit));
        break;
    case EscPAction::AbsoluteX:
        m_head.setPenX(std::int64_t{job.lineStart} +
                       m_head.across(parameterWord(parameters, 0), 60));
        break;
    case EscPAction::RelativeX:
        // A signed 16-bit step: 1/120 inch on 9 pins, 1/180 in letter quality on 24.
        m_head.setPenX(std::int64_t{job.penX} +
                       m_head.across(static_cast<std::int16_t>(parameterWord(parameters, 0)),
                                     m_language == PrinterLanguage::EscP2 ? 180 : 120));
        break;
    default:
        actOnStyle(command.action, parameters);
        m_page.act(command.action, parameters, m_text.cell360());
        // A new form length may scale the page, and the cell with it.
        if (command.action == EscPAction::FormLength || command.action == EscPAction::PageLength ||
            command.action == EscPAction::PageFormat)
            applyText();
        break;
    }
}

void EscPCommands::actOnStyle(EscPAction action, std::string_view parameters) {
    const std::uint8_t n = parameterByte(parameters, 0);
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
        text.proportional = (n & 2) != 0;
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
    case EscPAction::Proportional:
        text.proportional = switchOn(n);
        break;
    case EscPAction::Typeface:
        text.sansSerif = n == 1;
        break;
    case EscPAction::ExtraSpace:
        // n/120 inch on 9 pins, n/180 on 24.
        text.extraSpace360 = n * (m_language == PrinterLanguage::EscP2 ? 2 : 3);
        break;
    case EscPAction::PitchAndPoint: {
        // ESC X m nL nH: m/360 inch a character from 5 up, 1 proportional, 0 keeping the
        // spacing; nL + 256 nH half points, 0 keeping the size.
        if (n == 1)
            text.proportional = true;
        if (n >= 5) {
            text.pitch360 = n;
            text.proportional = false;
        }
        const int halves = parameterWord(parameters, 1);
        if (halves > 0)
            text.pointHalves = std::min(halves, 2 * 127);
        break;
    }
    case EscPAction::ScoreLine: {
        // nL nH m d1 d2: d1 1 underline, 2 strike-through, 3 overscore; d2 0 removes it.
        const std::uint8_t which = parameterByte(parameters, 3);
        const bool on = parameterByte(parameters, 4) != 0;
        if (which == 1)
            text.underline = on;
        else if (which == 2)
            text.strikeout = on;
        break;
    }
    default:
        return;
    }
    applyText();
}

bool EscPCommands::control(std::uint8_t byte) {
    if (!controls(byte))
        return false;
    JobState& job = m_head.job();
    switch (byte) {
    case CarriageReturn:
        m_page.carriageReturn();
        break;
    case LineFeed:
        m_page.lineFeed();
        endDoubleWidthLine();
        break;
    case FormFeed:
        m_page.formFeed();
        endDoubleWidthLine();
        break;
    case VerticalTab:
        m_page.verticalTab();
        endDoubleWidthLine();
        break;
    case Backspace: {
        // Over proportional text the carriage goes back the width of the last character.
        const PageGeometry& geometry = m_head.geometry();
        const std::int32_t back = geometry.Proportional && job.lastAdvance > 0
                                      ? job.lastAdvance
                                      : static_cast<std::int32_t>(geometry.CellWidth);
        job.penX = std::max(job.lineStart, job.penX - back);
        break;
    }
    case Tab:
        m_page.horizontalTab();
        break;
    case ShiftOut:
        m_text.doubleWidthLine = true;
        applyText();
        break;
    case ShiftIn:
        m_text.condensed = true;
        applyText();
        break;
    case DeviceControl2:
        // The Proprinter's DC2 also returns to 10 cpi.
        m_text.condensed = false;
        if (m_language == PrinterLanguage::Proprinter)
            m_text.pitch360 = 36;
        applyText();
        break;
    case DeviceControl4:
        endDoubleWidthLine();
        break;
    case Cancel:
        // The printer clears its buffer: the line set since it last printed is lost, and
        // setting starts again at the margin.
        m_head.cancelLine();
        job.penX = job.lineStart;
        break;
    default:
        // NUL, BEL, DC1, DC3, DEL and the rest move nothing and take no cell.
        break;
    }
    return true;
}

void EscPCommands::endDoubleWidthLine() {
    if (!m_text.doubleWidthLine)
        return;
    m_text.doubleWidthLine = false;
    applyText();
}

} // namespace marlet
