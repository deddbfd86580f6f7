#pragma once

#include "config/PrinterLanguage.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace marlet {

/// How the parameters of an escape command are sent, which sets how many bytes it takes.
enum class EscPForm : std::uint8_t {
    Fixed,          ///< so many parameter bytes
    Columns,        ///< nL nH, then nL + 256 nH one-byte columns (ESC K, L, Y, Z)
    StarColumns,    ///< m nL nH, then columns of as many bytes as density m gives (ESC *)
    NineDotColumns, ///< m nL nH, then two-byte columns (ESC ^)
    Counted,        ///< nL nH, then nL + 256 nH bytes (ESC ( x, ESC [ x, ESC =)
    NulList,        ///< up to so many bytes, ended by NUL (ESC D, ESC B)
    FormLength,     ///< n, or NUL n (ESC C)
    Characters,     ///< NUL first last, then the shapes of user-defined characters (ESC &)
    Raster,         ///< c v h m nL nH, then m rows of dots, plain or run-length (ESC .)
};

/// What a command does once all its bytes are there.
enum class EscPAction : std::uint8_t {
    Ignore, // taken with its parameters; changes nothing on the page
    Reset,
    ColumnImage,
    StarImage,
    NineDotImage,
    RasterImage,
    SpacingEighth,
    SpacingSevenSeventySeconds,
    SpacingSixth,
    SpacingUnits,
    SpacingA,
    Spacing360,
    Advance,
    AbsoluteX,
    RelativeX,
    Pica,
    Elite,
    Fifteen,
    Condensed,
    DoubleWidthLine,
    MasterSelect,
    Bold,
    NoBold,
    DoubleStrike,
    NoDoubleStrike,
    Italic,
    NoItalic,
    Underline,
    DoubleWidth,
    DoubleHeight,
    Script,
    NoScript,
    Proportional,
    Typeface,
    ExtraSpace,
    PitchAndPoint,
    ScoreLine,
    FormLength,
    SkipPerforation,
    NoSkipPerforation,
    LeftMargin,
    RightMargin,
    Margins,
    HorizontalTabs,
    VerticalTabs,
    ResetTabs,
    PageLength,
    PageFormat,
    AbsoluteY,
    RelativeY,
    Unit,
    AutoLineFeed,
    International,
};

/// One escape command of the dot-matrix languages: the bytes after ESC that name it, how
/// its parameters come, the languages that have it and what it does.
struct EscPCommand {
    std::string_view name;
    EscPForm form;
    /// Parameter bytes (Fixed), the most entries of a list (NulList), or for Counted the
    /// bytes of the name past its entry (1 for a family's catch-all, ESC ( and any letter).
    std::uint8_t count;
    /// The languages that have it: bits of languageBit().
    std::uint8_t languages;
    EscPAction action;
};

/// The bit of a language in EscPCommand::languages.
std::uint8_t languageBit(PrinterLanguage language);

/// A command's parameter byte, 0 past the bytes there are.
inline std::uint8_t parameterByte(std::string_view bytes, std::size_t at) {
    return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) : 0;
}

/// A command's two-byte parameter, low byte first.
inline int parameterWord(std::string_view bytes, std::size_t at) {
    return parameterByte(bytes, at) + 256 * parameterByte(bytes, at + 1);
}

/// Every escape command of ESC/P, ESC/P2 and the Proprinter.
std::span<const EscPCommand> escPCommandTable();

/// The command of the language that the bytes after ESC begin with, or none.
const EscPCommand* findEscPCommand(PrinterLanguage language, std::string_view afterEscape);

/// Bytes a column of ESC * takes at density m: 1, 3 or 6, or 0 for no such density.
int starColumnBytes(std::uint8_t density, PrinterLanguage language);

/// The bytes after ESC that the command takes, its name included. look(n) gives up to n
/// bytes after ESC; none when the job ends before the command does.
std::optional<std::size_t>
escPCommandLength(const EscPCommand& command, PrinterLanguage language,
                  const std::function<std::string_view(std::size_t)>& look);

} // namespace marlet
