#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace marlet {

/// The twenty printer functions an escape-sequence scheme gives a byte string for, in the
/// order in which they are stored, loaded and shown.
enum class SchemeEntry {
    Bold,
    NoBold,
    Italic,
    NoItalic,
    Underline,
    NoUnderline,
    Strikeout,
    NoStrikeout,
    Double,
    NoDouble,
    Pica,
    Elit,
    Condenced,
    NoCondenced,
    CondPica,
    CondElit,
    Portrait,
    Landscape,
    Pitch,
    LPI,
};

inline constexpr std::size_t SchemeEntryCount = static_cast<std::size_t>(SchemeEntry::LPI) + 1;

/// The built-in scheme under which the interpreter uses its own escape set.
inline constexpr const char* DefaultSchemeName = "Default";
/// The built-in scheme under which no sequence is recognised.
inline constexpr const char* NoSequencesSchemeName = "No sequences";

/// Every entry, in table order.
const std::array<SchemeEntry, SchemeEntryCount>& schemeEntries();
/// The value name under which a stored scheme keeps the entry ("Bold", "Condenced").
std::string_view schemeEntryName(SchemeEntry entry);
/// The row label of the scheme editor ("No Bold", "Pica (10 CPI)").
std::string_view schemeEntryLabel(SchemeEntry entry);
/// What the editor shows, read-only, for the entry under "Default" (ESC "B"; empty for the
/// functions the built-in set lacks). Display only: the interpreter's own set differs.
std::string defaultSchemeDisplay(SchemeEntry entry);

} // namespace marlet
