#include "languages/pcl/PclCommands.h"

#include "render/ControlBytes.h"

#include "languages/pcl/PclPaperSizes.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace marlet {

namespace {

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
      m_powerOnOrientation(head.job().requested), m_powerOnPaper(head.printer().physicalPage()) {
    reset();
}

void PclCommands::reset() {
    m_raster.end();
    m_page.formFeed();
    restorePaper();
    m_page.reset(m_powerOnOrientation);
    m_text.reset();
    m_rectangles.reset();
    m_raster.reset();
    m_unitsPerInch = 300;
    m_displayFunctions = false;
}

bool PclCommands::escape() {
    if (m_displayFunctions) {
        // Display functions print the escape too; only ESC Z, printed as well, ends them.
        printCharacter(Escape);
        m_escapeShown = true;
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
    if (PclCommandTable::dataOf(entry, command) != PclData::None) {
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
        if (m_escapeShown && byte == 'Z')
            m_displayFunctions = false;
        m_escapeShown = false;
        if (byte == CarriageReturn) {
            m_page.carriageReturn();
            m_page.lineFeed();
        }
        return;
    }
    // The control codes without a meaning do nothing on a LaserJet.
    if (!m_text.control(byte) && byte >= 0x20)
        printCharacter(byte);
}

void PclCommands::printCharacter(std::uint8_t byte) {
    m_text.print(byte, m_table.code(byte));
}

void PclCommands::finish() {
    m_raster.end();
    // The job's paper was its own: the next job starts on the printer's.
    restorePaper();
}

void PclCommands::restorePaper() {
    const PhysicalPage now = m_head.printer().physicalPage();
    if (now.width != m_powerOnPaper.width || now.height != m_powerOnPaper.height)
        m_head.printer().setPaper({m_powerOnPaper.width, m_powerOnPaper.height});
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
    m_escapeShown = false;
}

void PclCommands::exitLanguage(const PclCommand& command) {
    if (command.value != UniversalExitValue)
        return;
    reset();
    m_tokenizer.skipJobLanguage();
}

void PclCommands::plotterBlock(const PclCommand&) {
    m_tokenizer.skipPlotterBlock();
}

void PclCommands::move(const PclCommand& command) {
    const long double value = command.value;
    const bool relative = command.relative;
    if (command.parameter == '*') {
        if (command.terminator == 'X')
            m_page.moveX(unitsAcross(command), relative);
        else
            m_page.moveY(unitsDown(command), relative);
        return;
    }
    switch (command.terminator) {
    case 'C':
        m_page.moveToColumn(value, relative);
        break;
    case 'R':
        m_page.moveToRow(value, relative);
        break;
    case 'H':
        m_page.moveX(m_page.across(value, 720), relative);
        break;
    default:
        m_page.moveY(m_page.down(value, 720), relative);
        break;
    }
}

void PclCommands::layout(const PclCommand& command) {
    const long double value = command.value;
    switch (command.group == 'l' ? command.terminator : command.group) {
    case 'a':
        if (command.terminator == 'L')
            m_page.setLeftMargin(value);
        else
            m_page.setRightMargin(value);
        break;
    case 'k':
        m_page.setHmi(m_page.across(value, 120));
        break;
    case 'C':
        m_page.setVmi(m_page.down(value, 48));
        break;
    case 'D':
        if (value > 0)
            m_page.setVmi(m_page.down(1, value));
        break;
    case 'E':
        m_page.setTopMargin(value);
        break;
    case 'F':
        m_page.setTextLength(value);
        break;
    default:
        if (value == 0 || value == 1)
            m_page.setPerforationSkip(value == 1);
        break;
    }
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

void PclCommands::lineTermination(const PclCommand& command) {
    m_text.setLineTermination(static_cast<int>(command.value));
}

void PclCommands::pageControl(const PclCommand& command) {
    const long double value = command.value;
    if (command.terminator == 'O') {
        if (value != 0 && value != 1 && value != 2 && value != 3)
            return;
        m_page.formFeed();
        m_page.reset(static_cast<int>(value) % 2 == 0 ? Orientation::Portrait
                                                      : Orientation::Landscape);
        return;
    }
    if (command.terminator == 'H') {
        m_page.formFeed();
        return;
    }
    const int resolutionX = m_head.geometry().resx();
    const int resolutionY = m_head.geometry().resy();
    std::optional<PageSize> sheet;
    if (command.terminator == 'A')
        sheet = PclPaperSizes::sheet(static_cast<int>(value), resolutionX, resolutionY);
    else if (value == 0)
        sheet = PageSize{m_powerOnPaper.width, m_powerOnPaper.height};
    else if (value > 0 && m_page.vmi() > 0)
        // Page length counts lines of the VMI; the shortest paper that holds them prints.
        sheet = PclPaperSizes::holding(value * m_page.vmi(), m_page.orientation(), resolutionX,
                                       resolutionY);
    if (sheet)
        changePaper(*sheet);
}

void PclCommands::changePaper(PageSize sheet) {
    // The page ends; the following ones print on the new paper. Sizes within a millimetre
    // are the same paper, as drivers round them: the printer's own keeps its exact size,
    // and paper the printer has already stays.
    m_page.formFeed();
    const int slackX = m_head.geometry().resx() / 25;
    const int slackY = m_head.geometry().resy() / 25;
    auto same = [&](int width, int height) {
        return std::abs(width - sheet.width) <= slackX && std::abs(height - sheet.height) <= slackY;
    };
    if (same(m_powerOnPaper.width, m_powerOnPaper.height))
        sheet = {m_powerOnPaper.width, m_powerOnPaper.height};
    PageDevice& printer = m_head.printer();
    const PhysicalPage now = printer.physicalPage();
    if (!same(now.width, now.height))
        printer.setPaper(sheet);
    m_page.layOut(m_page.orientation());
}

void PclCommands::printDirection(const PclCommand& command) {
    const long double degrees = command.value;
    if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270)
        return;
    m_page.setDirection(static_cast<int>(degrees) / 90);
    m_text.directionChanged();
}

void PclCommands::font(const PclCommand& command) {
    const bool secondary = command.parameter == ')';
    if (command.parameter == '&')
        m_text.setPitchMode(static_cast<int>(command.value));
    else if (command.group == 's')
        m_text.setCharacteristic(secondary, command.terminator, command.value);
    else if (command.terminator == 'X')
        m_text.selectById(secondary, static_cast<int>(command.value));
    else if (command.terminator == '@')
        m_text.setDefault(secondary, static_cast<int>(command.value));
    else
        // ESC ( 8 U: the number times 32 plus the letter's place in the alphabet.
        m_text.setSymbolSet(secondary,
                            static_cast<int>(command.value) * 32 + (command.terminator - 64));
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

void PclCommands::softFont(const PclCommand& command) {
    if (command.parameter == ')')
        m_text.defineFont(m_data);
    else if (command.terminator == 'D')
        m_text.setFontId(static_cast<int>(command.value));
    else
        m_text.controlFonts(static_cast<int>(command.value));
}

void PclCommands::rectangle(const PclCommand& command) {
    switch (command.terminator) {
    case 'A':
        m_rectangles.setWidth(unitsAcross(command));
        break;
    case 'B':
        m_rectangles.setHeight(unitsDown(command));
        break;
    case 'H':
        m_rectangles.setWidth(m_page.across(command.value, 720));
        break;
    case 'V':
        m_rectangles.setHeight(m_page.down(command.value, 720));
        break;
    case 'G':
        m_rectangles.setPattern(command.value);
        break;
    default:
        m_rectangles.fill(static_cast<int>(command.value));
        break;
    }
}

void PclCommands::raster(const PclCommand& command) {
    switch (command.group == 'b' ? command.terminator : command.group) {
    case 't':
        m_raster.setResolution(command.value);
        break;
    case 'r':
        if (command.terminator == 'A')
            m_raster.start(command.value == 1);
        else
            m_raster.end();
        break;
    case 'M':
        m_raster.setCompression(command.value);
        break;
    case 'W':
        m_raster.transferRow(m_data);
        break;
    default:
        m_raster.skipRows(command.value);
        break;
    }
}

} // namespace marlet
