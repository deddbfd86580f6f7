#include "languages/pcl/PclText.h"

#include "render/ControlBytes.h"

#include "languages/pcl/PclSymbolSets.h"

#include <algorithm>
#include <cmath>

namespace marlet {

namespace {

// Downloaded fonts kept at once; a job that downloads more has the rest ignored.
constexpr std::size_t MaxDownloaded = 256;

} // namespace

void PclText::reset() {
    m_primary = PclFont{};
    m_primary.symbolSet = JobCodePage;
    m_secondary = m_primary;
    m_secondaryActive = false;
    m_underline = false;
    m_wrap = true;
    m_lineTermination = 0;
    fontChanged();
}

void PclText::fontChanged() {
    m_fontMade = false;
    const PclFont& font = active();
    if (!font.proportional)
        m_page.setHmi(m_page.across(1, font.effectivePitch()));
    else
        // A quarter of the em: about the space of a proportional face.
        m_page.setHmi(font.emPixels(m_head.geometry().resy()) / 4.0L);
}

void PclText::setCharacteristic(bool secondary, char which, long double value) {
    PclFont& changed = font(secondary);
    switch (which) {
    case 'P':
        if (value != 0 && value != 1)
            return;
        changed.proportional = value == 1;
        break;
    case 'H':
        if (value <= 0)
            return;
        changed.pitch = std::clamp(value, 0.1L, 576.0L);
        break;
    case 'V':
        if (value <= 0)
            return;
        changed.height = std::clamp(value, 0.25L, 999.75L);
        break;
    case 'S':
        changed.style = static_cast<int>(value);
        break;
    case 'B':
        changed.weight = static_cast<int>(value);
        break;
    default:
        changed.typeface = static_cast<int>(value);
        break;
    }
    fontChanged();
}

void PclText::setSymbolSet(bool secondary, int code) {
    font(secondary).symbolSet = code;
    fontChanged();
}

void PclText::setDefault(bool secondary, int which) {
    // The other values choose among the printer's fonts, which are all the same here.
    if (which != 3)
        return;
    PclFont& changed = font(secondary);
    const int symbolSet = changed.symbolSet;
    changed = PclFont{};
    changed.symbolSet = symbolSet;
    fontChanged();
}

void PclText::setPitchMode(int mode) {
    const long double pitch = mode == 0 ? 10 : mode == 2 ? 16.67L : mode == 4 ? 12 : 0;
    if (pitch == 0)
        return;
    m_primary.pitch = pitch;
    fontChanged();
}

void PclText::shift(bool secondary) {
    if (m_secondaryActive == secondary)
        return;
    m_secondaryActive = secondary;
    fontChanged();
}

void PclText::selectById(bool secondary, int id) {
    const auto found = m_downloaded.find(id);
    if (found == m_downloaded.end())
        return;
    font(secondary) = found->second;
    fontChanged();
}

void PclText::defineFont(std::string_view header) {
    if (m_downloaded.size() >= MaxDownloaded && !m_downloaded.contains(m_fontId))
        return;
    m_downloaded[m_fontId] = PclFont::fromHeader(header, m_primary);
}

void PclText::controlFonts(int operation) {
    if (operation == 0 || operation == 1)
        m_downloaded.clear();
    else if (operation == 2)
        m_downloaded.erase(m_fontId);
}

void PclText::setUnderline(bool on) {
    m_underline = on;
    m_fontMade = false;
}

void PclText::makeFont() {
    PageDevice& printer = m_head.printer();
    const PclFont& font = active();
    FontRequest request =
        font.request(m_head.geometry().resx(), m_head.geometry().resy(), m_underline);
    // Text of a turned print direction runs turned on the sheet.
    request.escapement = request.orientation = m_page.turns() * 900;
    printer.createFont(request);
    m_ascent = font.ascent(-request.height);
    m_made = printer.canvasFont();
    m_fontMade = true;
}

void PclText::print(std::uint8_t byte, char16_t jobCharacter) {
    const PclFont& font = active();
    // A control byte that reaches here (transparent data, display functions) prints as
    // the DOS glyph in the job's own code page.
    const char16_t character = PclSymbolSets::known(font.symbolSet)
                                   ? PclSymbolSets::character(font.symbolSet, byte)
                               : byte < 0x20 ? PclSymbolSets::controlGlyph(byte)
                                             : jobCharacter;
    // A scheme entry tried at an escape gives the canvas the grid's font: PCL text keeps
    // its own.
    if (!m_fontMade || !(m_head.printer().canvasFont() == m_made))
        makeFont();
    PageDevice& printer = m_head.printer();
    const long double advance = font.proportional
                                    ? printer.textExtent(std::u16string_view(&character, 1)).width
                                    : m_page.hmi();
    // A character that would cross the right margin goes to the next line first; without
    // wrap it is lost once the cursor is past the margin.
    if (m_page.x() + advance > m_page.rightMargin() && m_page.x() > m_page.leftMargin()) {
        if (!m_wrap) {
            m_page.moveX(advance, true);
            return;
        }
        m_page.carriageReturn();
        m_page.lineFeed();
    }
    // An overstrike over proportional text: centred on the symbol backspaced over.
    const bool overstrike = font.proportional && m_backspaces == 1 &&
                            m_page.x() == m_afterBackspace && m_lastAdvance > 0;
    const long double x = overstrike ? m_page.x() + (m_lastAdvance - advance) / 2 : m_page.x();
    m_backspaces = 0;
    if (character != u' ' || m_underline) {
        m_head.openPage();
        // The cell's top-left corner, which the device turns the glyph about.
        const DevicePoint corner = m_page.device(x, m_page.y() - m_ascent);
        printer.textOut(corner.x, corner.y, character);
    }
    if (overstrike) {
        m_page.moveX(m_beforeBackspace, false);
        return;
    }
    m_lastAdvance = advance;
    m_page.moveX(advance, true);
}

bool PclText::control(std::uint8_t byte) {
    switch (byte) {
    case Backspace:
        backspace();
        return true;
    case Tab:
        tab();
        return true;
    case LineFeed:
    case FormFeed:
        if (m_lineTermination >= 2)
            m_page.carriageReturn();
        if (byte == LineFeed)
            m_page.lineFeed();
        else
            m_page.formFeed();
        return true;
    case CarriageReturn:
        m_page.carriageReturn();
        if (m_lineTermination == 1 || m_lineTermination == 3)
            m_page.lineFeed();
        return true;
    case ShiftOut:
    case ShiftIn:
        shift(byte == ShiftOut);
        return true;
    default:
        return false;
    }
}

void PclText::setLineTermination(int mode) {
    if (mode >= 0 && mode <= 3)
        m_lineTermination = mode;
}

void PclText::backspace() {
    const long double back =
        active().proportional && m_lastAdvance > 0 ? m_lastAdvance : m_page.hmi();
    if (m_backspaces == 0 || m_page.x() != m_afterBackspace) {
        m_backspaces = 0;
        m_beforeBackspace = m_page.x();
    }
    m_backspaces = std::min(m_backspaces + 1, 2);
    m_page.moveX(std::max(m_page.leftMargin(), m_page.x() - back), false);
    m_afterBackspace = m_page.x();
}

void PclText::tab() {
    const long double stop = m_page.hmi() * 8;
    if (stop <= 0)
        return;
    const long double from = m_page.x() - m_page.leftMargin();
    m_page.moveX(m_page.leftMargin() + (std::floor(from / stop) + 1) * stop, false);
}

} // namespace marlet
