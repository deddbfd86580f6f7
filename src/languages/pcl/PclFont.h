#pragma once

#include "render/PageDevice.h"

#include <string_view>

namespace marlet {

/// A PCL font by its characteristics, in the order a LaserJet weighs them when it picks
/// one: symbol set, spacing, pitch, height, style, stroke weight and typeface.
struct PclFont {
    /// The symbol set's code: number * 32 + letter - 64 (ESC ( 8 U is 277).
    int symbolSet = 0;
    bool proportional = false;
    /// Characters per inch of a fixed-pitch font.
    long double pitch = 10;
    /// Points of a proportional font.
    long double height = 12;
    int style = 0;
    int weight = 0;
    int typeface = 4099;

    bool operator==(const PclFont&) const = default;

    /// The installed face that prints this font: every fixed-pitch font in the mono face,
    /// Times and the other serif faces in the serif one, the rest in sans.
    const char* face() const;
    /// Whether this is the line printer face, which is always 16.67 cpi at 8.5 points.
    bool linePrinter() const { return typeface % 4096 == 0; }
    /// The font request that draws it at these resolutions: a fixed pitch fills its cell,
    /// a proportional face keeps its own widths.
    FontRequest request(int resolutionX, int resolutionY, bool underline) const;
    /// The em of the request in device pixels.
    int emPixels(int resolutionY) const;
    /// Top of the glyph cell to the baseline, in device pixels, for a font of that em.
    int ascent(int emPixels) const;
    /// Characters per inch for fixed-pitch text (16.67 for the line printer face).
    long double effectivePitch() const { return linePrinter() ? 16.67L : pitch; }

    /// The characteristics of a downloaded font from its font header; a header too short
    /// to tell leaves the font as it is.
    static PclFont fromHeader(std::string_view header, const PclFont& fallback);
};

} // namespace marlet
