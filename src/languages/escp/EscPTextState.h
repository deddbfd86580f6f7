#pragma once

#include "languages/PrintHead.h"

#include <cstdint>
#include <string>

namespace marlet {

/// The character a dot-matrix printer prints with: pitch, width, height and style, in the
/// printer's own 1/360-inch units. Its power-on value is 10 cpi pica upright.
struct EscPTextState {
    enum class Script : std::uint8_t { None, Super, Sub };

    /// Width of a character cell before condensed, double width and extra space.
    int pitch360 = 36;
    bool condensed = false;
    /// ESC p: each character as wide as its own glyph, in a proportional face; the pitch
    /// set meanwhile waits for fixed spacing to return.
    bool proportional = false;
    /// ESC k 1: proportional text in the sans serif face instead of the roman one.
    bool sansSerif = false;
    /// ESC W: until cancelled; SO: until the line ends.
    bool doubleWidth = false;
    bool doubleWidthLine = false;
    bool doubleHeight = false;
    bool bold = false;
    bool doubleStrike = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    Script script = Script::None;
    /// ESC SP: room added after every character.
    int extraSpace360 = 0;
    /// ESC X: the character height in half points; 0 is the 10.5-point cell of the line.
    int pointHalves = 0;

    /// The cell width with every setting that widens or narrows it; proportional text
    /// counts its columns (margins, tab stops) at 10 cpi.
    int cell360() const;
    /// Makes the job's font and cell from this state: the cell through the grid's
    /// LanguageCell, the glyph height through FontHeight, the style through the canvas
    /// font, a sub- or superscript two thirds high at the bottom or top of the line, and
    /// another point size on the line's baseline. Fixed-pitch text prints in fixedFace,
    /// proportional text in a roman or sans serif face.
    void apply(PrintHead& head, const std::string& fixedFace) const;
};

} // namespace marlet
