#pragma once

#include "languages/pcl/PclFont.h"
#include "languages/pcl/PclPage.h"

#include <cstdint>
#include <map>
#include <string_view>

namespace marlet {

/// The text of a PCL job: the primary and secondary fonts (SI and SO switch between them),
/// fonts downloaded by ID, underline and end-of-line wrap, and characters set on the
/// cursor's baseline. A fixed-pitch font advances by the horizontal motion index (HMI), a
/// proportional one by its face's own glyph widths.
class PclText {
public:
    /// The symbol set of a font that no command has chosen: the job's code page.
    static constexpr int JobCodePage = -1;

    PclText(PrintHead& head, PclPage& page) : m_head(head), m_page(page) {}

    /// Power-on fonts: Courier at 10 cpi and 12 points in the job's code page, primary
    /// active; no underline, end-of-line wrap on. Downloaded fonts stay.
    void reset();

    /// The primary or secondary font, to change its characteristics.
    PclFont& font(bool secondary) { return secondary ? m_secondary : m_primary; }
    /// After a characteristic changed: the font is made again, and the HMI follows the
    /// active font's pitch.
    void fontChanged();
    /// One characteristic of ESC ( s or ESC ) s: spacing (P), pitch (H), height (V), style
    /// (S), stroke weight (B) or typeface (T); a value out of range is ignored.
    void setCharacteristic(bool secondary, char which, long double value);
    /// A symbol set by its code (ESC ( 8 U is 277).
    void setSymbolSet(bool secondary, int code);
    /// ESC ( 3 @: the font takes the power-on characteristics in its symbol set.
    void setDefault(bool secondary, int which);
    /// ESC & k # S: 10 cpi (0), 16.67 (2) or 12 (4) for the primary font.
    void setPitchMode(int mode);
    /// Makes the secondary (SO) or primary (SI) font the active one.
    void shift(bool secondary);
    /// The font downloaded under an ID into the primary or secondary font; an ID not
    /// downloaded changes nothing.
    void selectById(bool secondary, int id);
    /// The ID the next font header and font control commands act on.
    void setFontId(int id) { m_fontId = id; }
    /// A downloaded font header: the font prints in the installed face nearest to it.
    void defineFont(std::string_view header);
    /// Font control: 0 and 1 delete every downloaded font, 2 the one of the current ID.
    void controlFonts(int operation);
    void setUnderline(bool on);
    /// After the print direction turned: the font is made again, turned with it.
    void directionChanged() { m_fontMade = false; }
    void setWrap(bool on) { m_wrap = on; }

    /// Prints one character at the cursor and moves past it; jobCharacter is what the
    /// job's code page makes of the byte. A blank moves without drawing.
    void print(std::uint8_t byte, char16_t jobCharacter);
    /// Obeys a control code: backspace, tab, line feed, form feed, carriage return (each
    /// as the line termination mode has it), shift out and in. False for any other byte.
    bool control(std::uint8_t byte);
    /// ESC & k # G: 1 adds a line feed to CR, 2 a carriage return to LF and FF, 3 both.
    void setLineTermination(int mode);

private:
    void backspace();
    void tab();
    const PclFont& active() const { return m_secondaryActive ? m_secondary : m_primary; }
    void makeFont();

    PrintHead& m_head;
    PclPage& m_page;
    PclFont m_primary;
    PclFont m_secondary;
    bool m_secondaryActive = false;
    bool m_underline = false;
    bool m_wrap = true;
    int m_lineTermination = 0;
    bool m_fontMade = false;
    CanvasFont m_made; // the canvas font makeFont() gave the printer
    int m_ascent = 0;
    // A backspace goes back the width of the last symbol or space printed; after a single
    // one over proportional text the next symbol is centred on that one and the cursor
    // returns to where it stood.
    long double m_lastAdvance = 0;
    int m_backspaces = 0;
    long double m_beforeBackspace = 0;
    long double m_afterBackspace = 0;
    int m_fontId = 0;
    std::map<int, PclFont> m_downloaded;
};

} // namespace marlet
