#include "languages/pcl/PclFont.h"

#include "base/Rounding.h"

#include <algorithm>
#include <cstdint>

namespace marlet {

namespace {

constexpr const char* MonoFace = "Liberation Mono";
constexpr const char* SerifFace = "Liberation Serif";
constexpr const char* SansFace = "Liberation Sans";

// Typeface family numbers (the low twelve bits of the typeface value).
bool serifFamily(int family) {
    // Times, Garamond, Clarendon, Coronet, Marigold, Albertus, Times New Roman.
    for (int serif : {5, 18, 44, 20, 201, 266, 517})
        if (family == serif)
            return true;
    return false;
}

unsigned word(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned>(static_cast<std::uint8_t>(bytes[at])) << 8 |
           static_cast<std::uint8_t>(bytes[at + 1]);
}

} // namespace

const char* PclFont::face() const {
    // Spacing weighs more than the typeface: a proportional Courier is not to be had.
    const int family = typeface % 4096;
    if (!proportional)
        return MonoFace;
    return serifFamily(family) ? SerifFace : SansFace;
}

int PclFont::emPixels(int resolutionY) const {
    // A scalable fixed-pitch face is sized by its pitch: Courier at 10 cpi is 12 points.
    const long double points = linePrinter() ? 8.5L : proportional ? height : 120 / pitch;
    return std::max(1, roundToField<int>(points * resolutionY / 72));
}

FontRequest PclFont::request(int resolutionX, int resolutionY, bool underline) const {
    FontRequest request;
    request.height = -emPixels(resolutionY);
    request.width =
        proportional ? 0 : std::max(1, roundToField<int>(resolutionX / effectivePitch()));
    request.weight = weight >= 1 ? 700 : 400;
    request.italic = style % 4 != 0;
    request.underline = underline;
    request.charset = 1;
    request.outPrecision = 3;
    request.quality = 2;
    request.pitchAndFamily = proportional ? 2 : 1;
    request.face = face();
    return request;
}

int PclFont::ascent(int em) const {
    // winAscent over units per em of the installed faces, so that the baseline sits where
    // the device draws it.
    const std::string_view name = face();
    const int winAscent = name == MonoFace ? 1705 : name == SerifFace ? 1825 : 1854;
    return static_cast<int>(roundRatio(static_cast<std::int64_t>(em) * winAscent, 2048));
}

PclFont PclFont::fromHeader(std::string_view header, const PclFont& fallback) {
    // The bitmap and scalable headers share their first 27 bytes.
    if (header.size() < 27)
        return fallback;
    PclFont font = fallback;
    font.proportional = header[13] != 0;
    font.symbolSet = static_cast<int>(word(header, 14));
    if (const unsigned quarterDots = word(header, 16); quarterDots > 0)
        font.pitch = std::clamp(1200.0L / quarterDots, 0.1L, 576.0L);
    if (const unsigned quarterDots = word(header, 18); quarterDots > 0)
        font.height = std::clamp(quarterDots * 72.0L / 1200, 0.25L, 999.75L);
    font.style = static_cast<int>(static_cast<std::uint8_t>(header[4]) << 8 |
                                  static_cast<std::uint8_t>(header[23]));
    font.weight = static_cast<std::int8_t>(header[24]);
    font.typeface = static_cast<int>(static_cast<std::uint8_t>(header[26]) << 8 |
                                     static_cast<std::uint8_t>(header[25]));
    return font;
}

} // namespace marlet
