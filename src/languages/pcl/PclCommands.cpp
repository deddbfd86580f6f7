#include "languages/pcl/PclCommands.h"

#include <algorithm>

namespace marlet {

namespace {

constexpr std::uint8_t Backspace = 8;
constexpr std::uint8_t Tab = 9;
constexpr std::uint8_t LineFeed = 10;
constexpr std::uint8_t FormFeed = 12;
constexpr std::uint8_t CarriageReturn = 13;
constexpr std::uint8_t ShiftOut = 14;
constexpr std::uint8_t ShiftIn = 15;
constexpr std::uint8_t Escape = 27;
// The value of the Universal Exit Language, ESC % -12345 X.
constexpr long double ExitLanguage = -12345;

bool rasterCommand(const PclCommand& command) {
    return command.parameter == '*' && (command.group == 'b' || command.group == 't' ||
                                        (command.group == 'r' && command.terminator == 'A'));
}

// Whether 7200 units of a PCL unit of measure make a whole number of them.
bool validUnits(long double perInch) {
    return perInch >= 96 && perInch <= 7200 && static_cast<int>(perInch) == perInch &&
           7200 % static_cast<int>(perInch) == 0;
}

} // namespace

PclCommands::PclCommands(PrintHead& head, JobInput& input, const CodePageTable& table)
    : m_head(head), m_table(table), m_tokenizer(input), m_page(head), m_text(head, m_page),
      m_rectangles(head, m_page), m_raster(head, m_page),
      m_powerOnOrientation(head.job().requested) {
    reset();
}

void PclCommands::reset() {
    m_raster.end();
    m_page.formFeed();
    m_page.reset(m_powerOnOrientation);
    m_text.reset();
    m_rectangles.reset();
    m_raster.reset();
    m_unitsPerInch = 300;
    m_lineTermination = 0;
    m_displayFunctions = false;
}

bool PclCommands::escape() {
    if (m_displayFunctions) {
        // Display functions print the escape too; only ESC Z, printed as well, ends them.
        printCharacter(Escape);
        return true;
    }
    if (!m_tokenizer.begin())
        return true;
    PclCommand command;
    while (m_tokenizer.next(command))
        run(command);
    return true;
}

void PclCommands::run(const PclCommand& command) {
    if (!rasterCommand(command))
        m_raster.end();
    const PclCommandEntry* entry = PclCommandTable::find(command);
    const PclData data = entry                       ? entry->data
                         : command.terminator == 'W' ? PclData::Binary
                                                     : PclData::None;
    if (data != PclData::None) {
        const auto count = static_cast<std::uint64_t>(std::max(0.0L, command.value));
        m_data = m_tokenizer.data(count, entry && entry->handler ? count : 0);
    }
    if (entry && entry->handler)
        (this->*entry->handler)(command);
}

void PclCommands::print(std::uint8_t byte) {
    m_raster.end();
    if (m_displayFunctions) {
        printCharacter(byte);
        if (byte == CarriageReturn) {
            m_page.carriageReturn();
            m_page.lineFeed();
        }
        return;
    }
    switch (byte) {
    case Backspace:
        m_text.backspace();
        break;
    case Tab:
        m_text.tab();
        break;
    case LineFeed:
    case FormFeed:
        if (m_lineTermination >= 2)
            m_page.carriageReturn();
        if (byte == LineFeed)
            m_page.lineFeed();
        else
            m_page.formFeed();
        break;
    case CarriageReturn:
        m_page.carriageReturn();
        if (m_lineTermination == 1 || m_lineTermination == 3)
            m_page.lineFeed();
        break;
    case ShiftOut:
    case ShiftIn:
        m_text.shift(byte == ShiftOut);
        break;
    default:
        // The other control codes do nothing on a LaserJet.
        if (byte >= 0x20)
            printCharacter(byte);
        break;
    }
}

void PclCommands::printCharacter(std::uint8_t byte) {
    m_text.print(byte, m_table.code(byte));
}

void PclCommands::finish() {
    m_raster.end();
}

long double PclCommands::unitsAcross(const PclCommand& command) const {
    return m_page.across(command.value, m_unitsPerInch);
}

long double PclCommands::unitsDown(const PclCommand& command) const {
    return m_page.down(command.value, m_unitsPerInch);
}

void PclCommands::printerReset(const PclCommand&) {
    reset();
}

void PclCommands::clearMargins(const PclCommand&) {
    m_page.clearHorizontalMargins();
}

void PclCommands::halfLineFeed(const PclCommand&) {
    m_page.lineFeed(0.5L);
}

void PclCommands::displayFunctions(const PclCommand& command) {
    m_displayFunctions = command.terminator == 'Y';
}

void PclCommands::exitLanguage(const PclCommand& command) {
    if (command.value != ExitLanguage)
        return;
    reset();
    m_tokenizer.skipJobLanguage();
}

void PclCommands::plotterBlock(const PclCommand&) {
    m_tokenizer.skipPlotterBlock();
}

void PclCommands::column(const PclCommand& command) {
    m_page.moveToColumn(command.value, command.relative);
}

void PclCommands::row(const PclCommand& command) {
    m_page.moveToRow(command.value, command.relative);
}

void PclCommands::decipointsAcross(const PclCommand& command) {
    m_page.moveX(m_page.across(command.value, 720), command.relative);
}

void PclCommands::decipointsDown(const PclCommand& command) {
    m_page.moveY(m_page.down(command.value, 720), command.relative);
}

void PclCommands::dotsAcross(const PclCommand& command) {
    m_page.moveX(unitsAcross(command), command.relative);
}

void PclCommands::dotsDown(const PclCommand& command) {
    m_page.moveY(unitsDown(command), command.relative);
}

void PclCommands::leftMargin(const PclCommand& command) {
    m_page.setLeftMargin(command.value);
}

void PclCommands::rightMargin(const PclCommand& command) {
    m_page.setRightMargin(command.value);
}

void PclCommands::underline(const PclCommand& command) {
    m_text.setUnderline(command.terminator == 'D');
}

void PclCommands::pushPop(const PclCommand& command) {
    if (command.value == 0)
        m_page.pushPosition();
    else if (command.value == 1)
        m_page.popPosition();
}

void PclCommands::horizontalMotion(const PclCommand& command) {
    m_page.setHmi(m_page.across(command.value, 120));
}

void PclCommands::lineTermination(const PclCommand& command) {
    if (command.value >= 0 && command.value <= 3)
        m_lineTermination = static_cast<int>(command.value);
}

void PclCommands::pitchMode(const PclCommand& command) {
    const long double pitch = command.value == 0   ? 10
                              : command.value == 2 ? 16.67L
                              : command.value == 4 ? 12
                                                   : 0;
    if (pitch == 0)
        return;
    m_text.font(false).pitch = pitch;
    m_text.fontChanged();
}

void PclCommands::pageSize(const PclCommand&) {
    // The sheet is the printer's own: a new size starts a page with the default margins.
    m_page.formFeed();
    m_page.defaultMargins();
}

void PclCommands::verticalMotion(const PclCommand& command) {
    m_page.setVmi(m_page.down(command.value, 48));
}

void PclCommands::linesPerInch(const PclCommand& command) {
    if (command.value > 0)
        m_page.setVmi(m_page.down(1, command.value));
}

void PclCommands::topMargin(const PclCommand& command) {
    m_page.setTopMargin(command.value);
}

void PclCommands::textLength(const PclCommand& command) {
    m_page.setTextLength(command.value);
}

void PclCommands::perforationSkip(const PclCommand& command) {
    if (command.value == 0 || command.value == 1)
        m_page.setPerforationSkip(command.value == 1);
}

void PclCommands::orientation(const PclCommand& command) {
    if (command.value != 0 && command.value != 1 && command.value != 2 && command.value != 3)
        return;
    m_page.formFeed();
    m_page.reset(static_cast<int>(command.value) % 2 == 0 ? Orientation::Portrait
                                                          : Orientation::Landscape);
}

void PclCommands::pageLength(const PclCommand& command) {
    // Lines of the VMI; the sheet stays the printer's, so only the margins are reset.
    if (command.value <= 0 || command.value * m_page.vmi() > m_page.length())
        return;
    m_page.formFeed();
    m_page.defaultMargins();
}

void PclCommands::paperSource(const PclCommand&) {
    m_page.formFeed();
}

void PclCommands::transparentData(const PclCommand&) {
    for (char byte : m_data)
        printCharacter(static_cast<std::uint8_t>(byte));
}

void PclCommands::wrap(const PclCommand& command) {
    m_text.setWrap(command.value == 0);
}

void PclCommands::unitOfMeasure(const PclCommand& command) {
    if (validUnits(command.value))
        m_unitsPerInch = command.value;
}

void PclCommands::symbolSet(const PclCommand& command) {
    // The code of ESC ( 8 U: the number times 32 plus the letter's place in the alphabet.
    const int code = static_cast<int>(command.value) * 32 + (command.terminator - 64);
    m_text.font(command.parameter == ')').symbolSet = code;
    m_text.fontChanged();
}

void PclCommands::fontById(const PclCommand& command) {
    m_text.selectById(command.parameter == ')', static_cast<int>(command.value));
}

void PclCommands::defaultFont(const PclCommand& command) {
    // ESC ( 3 @ makes a font the power-on one again; the others pick from the rest.
    if (command.value != 3)
        return;
    PclFont& font = m_text.font(command.parameter == ')');
    const int symbolSet = font.symbolSet;
    font = PclFont{};
    font.symbolSet = symbolSet;
    m_text.fontChanged();
}

void PclCommands::spacing(const PclCommand& command) {
    if (command.value == 0 || command.value == 1) {
        m_text.font(command.parameter == ')').proportional = command.value == 1;
        m_text.fontChanged();
    }
}

void PclCommands::pitch(const PclCommand& command) {
    if (command.value > 0) {
        m_text.font(command.parameter == ')').pitch = std::clamp(command.value, 0.1L, 576.0L);
        m_text.fontChanged();
    }
}

void PclCommands::height(const PclCommand& command) {
    if (command.value > 0) {
        m_text.font(command.parameter == ')').height = std::clamp(command.value, 0.25L, 999.75L);
        m_text.fontChanged();
    }
}

void PclCommands::style(const PclCommand& command) {
    m_text.font(command.parameter == ')').style = static_cast<int>(command.value);
    m_text.fontChanged();
}

void PclCommands::strokeWeight(const PclCommand& command) {
    m_text.font(command.parameter == ')').weight = static_cast<int>(command.value);
    m_text.fontChanged();
}

void PclCommands::typeface(const PclCommand& command) {
    m_text.font(command.parameter == ')').typeface = static_cast<int>(command.value);
    m_text.fontChanged();
}

void PclCommands::fontHeader(const PclCommand&) {
    m_text.defineFont(m_data);
}

void PclCommands::fontId(const PclCommand& command) {
    m_text.setFontId(static_cast<int>(command.value));
}

void PclCommands::fontControl(const PclCommand& command) {
    m_text.controlFonts(static_cast<int>(command.value));
}

void PclCommands::rectangleWidthDots(const PclCommand& command) {
    m_rectangles.setWidth(unitsAcross(command));
}

void PclCommands::rectangleHeightDots(const PclCommand& command) {
    m_rectangles.setHeight(unitsDown(command));
}

void PclCommands::rectangleWidthDecipoints(const PclCommand& command) {
    m_rectangles.setWidth(m_page.across(command.value, 720));
}

void PclCommands::rectangleHeightDecipoints(const PclCommand& command) {
    m_rectangles.setHeight(m_page.down(command.value, 720));
}

void PclCommands::patternId(const PclCommand& command) {
    m_rectangles.setPattern(command.value);
}

void PclCommands::fillRectangle(const PclCommand& command) {
    m_rectangles.fill(static_cast<int>(command.value));
}

void PclCommands::rasterResolution(const PclCommand& command) {
    m_raster.setResolution(command.value);
}

void PclCommands::rasterStart(const PclCommand& command) {
    m_raster.start(command.value == 1);
}

void PclCommands::rasterEnd(const PclCommand&) {
    m_raster.end();
}

void PclCommands::rasterCompression(const PclCommand& command) {
    m_raster.setCompression(command.value);
}

void PclCommands::rasterRow(const PclCommand&) {
    m_raster.transferRow(m_data);
}

void PclCommands::rasterSkip(const PclCommand& command) {
    m_raster.skipRows(command.value);
}

} // namespace marlet
