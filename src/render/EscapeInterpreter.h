#pragma once

#include "JobInput.h"
#include "PageDevice.h"
#include "PageGeometry.h"
#include "SchemeMatcher.h"
#include "config/ActiveScheme.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlet {

/// How far a pen may go from the page either way: millions of backspaces, or an endless
/// line without wrap, stop here instead of overflowing 32 bits.
inline constexpr std::int32_t PenLimit = 1'000'000'000;

/// A pen coordinate moved by delta, held to ±PenLimit.
inline std::int32_t movedPen(std::int32_t pen, std::int64_t delta) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(pen + delta, -PenLimit, PenLimit));
}

/// What a job keeps while it walks its bytes, shared with the escape interpreter.
struct JobState {
    std::int32_t penX = 0;
    std::int32_t penY = 0;
    std::uint8_t pitch = 12;
    Orientation requested = Orientation::Portrait;
    bool pageOpen = false;
    /// Where CR, LF and a wrapped line return to: the grid's origin, or a language's left
    /// margin.
    std::int32_t lineStart = 0;
    /// Where a line is full: 0 for the page's right edge, or a language's right margin.
    std::int32_t rightMargin = 0;
    /// Where a language's form ends: a line that would pass it starts the next page. 0
    /// leaves the page to end two lines above the sheet's bottom.
    std::int32_t formEnd = 0;
    /// How far below the grid's origin a language's form puts the first line of a page.
    std::int32_t topMargin = 0;
    /// How far below the pen glyphs are drawn: a subscript sits in the lower part of its line.
    std::int32_t textDrop = 0;
    /// Whether LF also returns the carriage: in a job without one CR byte.
    bool lineFeedReturns = false;
    /// How far the last character moved the pen: a printer backspaces over proportional
    /// text by it.
    std::int32_t lastAdvance = 0;
};

/// Counts the "0" characters of a text: the digit places of a pitch or LPI template.
std::uint8_t DigCount(std::string_view text);

/// Reads a decimal number as the settings dialogs of the day did: leading spaces, a sign,
/// digits, a fraction and an exponent, and nothing else.
std::optional<long double> parseDecimal(std::string_view text);

/// Turns the printer's escape sequences into font, cell, spacing and orientation changes:
/// the active scheme's sequences and the drop list wherever they start, and under
/// "Default" the built-in escape set.
class EscapeInterpreter {
public:
    EscapeInterpreter(PageDevice& printer, PageGeometry& geometry, const ActiveScheme& scheme,
                      const std::vector<std::string>& dropList, JobState& job, JobInput& input);

    /// Whether scheme matching is tried at this byte.
    bool startsSequence(std::uint8_t byte) const { return m_matcher.startsSequence(byte); }
    /// Whether matching is tried at this byte though no sequence can begin with it: the
    /// attempt matches nothing and takes no byte, it only refreshes the font.
    bool onlyAttemptedAt(std::uint8_t byte) const {
        return startsSequence(byte) && !m_matcher.canBegin(byte);
    }
    /// Matches the scheme and the drop list at the byte just read, applies every match and
    /// takes the bytes of the last one checked. Returns whether anything matched.
    bool matchAt(std::uint8_t byte);
    /// Acts on an escape byte: the built-in command set under "Default", else nothing.
    void escape();

private:
    std::optional<long double> parameter(const std::string& pattern, std::string_view window) const;
    void pitchFrom(const std::string& pattern, std::string_view window);
    void linesFrom(const std::string& pattern, std::string_view window);
    void setStyle(bool FontStyle::*style, bool on);
    void changeOrientation(Orientation target);
    /// Two parameter bytes: complete unless the data ended, a value when both are digits.
    struct Parameter {
        bool complete = false;
        std::optional<int> value;
    };
    void command(std::uint8_t letter);
    Parameter twoDigits();
    void act(const SchemeMatcher::Match& match, std::string_view window);

    PageDevice& m_printer;
    PageGeometry& m_geometry;
    JobState& m_job;
    JobInput& m_input;
    SchemeMatcher m_matcher;
    bool m_builtIn = false;
};

} // namespace marlet
