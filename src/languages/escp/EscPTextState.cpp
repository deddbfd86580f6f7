#include "languages/escp/EscPTextState.h"

#include <algorithm>

namespace marlet {

namespace {

// A line of 1/6 inch holds the 10.5-point face the printers start with.
constexpr int LineCell360 = 60;
constexpr int DefaultHalfPoints = 21;

// The installed faces of the printers' proportional Roman and Sans Serif, with their
// average glyph width and their cell (OS/2 xAvgCharWidth and winAscent + winDescent), which
// a font's width is counted against.
struct ProportionalFace {
    const char* name;
    int averageWidth;
    int cell;
};
constexpr ProportionalFace Roman{"Liberation Serif", 1124, 1825 + 443};
constexpr ProportionalFace SansSerif{"Liberation Sans", 1187, 1854 + 434};

} // namespace

int EscPTextState::cell360() const {
    int cell = pitch360;
    // Proportional spacing overrides the pitch and condensed. Condensed pica is 17.14 cpi
    // and condensed elite 20; 15 cpi has no condensed form.
    if (proportional)
        cell = 36;
    else if (condensed && pitch360 == 36)
        cell = 21;
    else if (condensed && pitch360 == 30)
        cell = 18;
    cell += extraSpace360;
    if (doubleWidth || doubleWidthLine)
        cell *= 2;
    return cell;
}

void EscPTextState::apply(PrintHead& head, const std::string& fixedFace) const {
    PageGeometry& geometry = head.geometry();
    PageDevice& printer = head.printer();
    const int cell = cell360();
    int height360 = pointHalves > 0 ? pointHalves * LineCell360 / DefaultHalfPoints : LineCell360;
    // Another point size stands on the line's baseline.
    int drop = LineCell360 - height360;
    // Double height is measured from the baseline: the glyphs grow upward and the line
    // spacing stays. It overrides super- and subscript.
    int glyphWidths360 = height360; // the height whose widths proportional glyphs keep
    if (doubleHeight) {
        drop -= height360;
        height360 *= 2;
    } else if (script != Script::None) {
        if (script == Script::Sub)
            drop += height360 / 3;
        height360 = height360 * 2 / 3;
        glyphWidths360 = height360;
    }

    const ProportionalFace& face = sansSerif ? SansSerif : Roman;
    CanvasFont font = printer.canvasFont();
    font.face = proportional ? face.name : fixedFace;
    font.style.bold = bold || doubleStrike;
    font.style.italic = italic;
    font.style.underline = underline;
    font.style.strikeout = strikeout;
    font.width = 0;
    printer.setCanvasFont(font);

    geometry.LanguageCell =
        static_cast<std::uint16_t>(std::clamp(head.across(cell, 360), 1, 65535));
    geometry.FontHeight =
        static_cast<std::uint16_t>(std::clamp(head.down(height360, 360), 1, 65535));
    geometry.Proportional = proportional;
    // Double width and double height keep the glyphs' own widths at the plain height,
    // doubled for double width; the extra space doubles too.
    const bool doubled = doubleWidth || doubleWidthLine;
    const std::int64_t average =
        proportional && (doubled || doubleHeight)
            ? std::int64_t{head.down(glyphWidths360, 360)} * face.averageWidth / face.cell
            : 0;
    geometry.ProportionalWidth =
        static_cast<std::uint16_t>(std::clamp<std::int64_t>(average * (doubled ? 2 : 1), 0, 65535));
    geometry.ExtraSpace = static_cast<std::uint16_t>(
        proportional ? std::clamp(head.across(extraSpace360 * (doubled ? 2 : 1), 360), 0, 65535)
                     : 0);
    JobState& job = head.job();
    job.textDrop = head.down(drop, 360);
    // The nearest whole pitch, for scheme entries that work from the job's pitch.
    job.pitch = static_cast<std::uint8_t>(std::clamp((360 + cell / 2) / std::max(cell, 1), 1, 255));
    geometry.setpitch(job.pitch);
}

} // namespace marlet
