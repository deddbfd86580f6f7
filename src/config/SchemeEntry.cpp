#include "SchemeEntry.h"

namespace marlet {

namespace {

struct EntryRow {
    std::string_view name;
    std::string_view label;
    std::string_view defaultDisplay;
};

// "\033" is ESC; an octal escape cannot swallow the letter after it as a hex one would.
constexpr std::array<EntryRow, SchemeEntryCount> Rows = {{
    {"Bold", "Bold", "\033B"},
    {"NoBold", "No Bold", "\033b"},
    {"Italic", "Italic", "\033I"},
    {"NoItalic", "No Italic", "\033i"},
    {"Underline", "Underline", "\033U"},
    {"NoUnderline", "No Underline", "\033u"},
    {"Strikeout", "Strikeout", "\033S"},
    {"NoStrikeout", "No Strikeout", "\033s"},
    {"Double", "Double Width", ""},
    {"NoDouble", "Normal Width", ""},
    {"Pica", "Pica (10 CPI)", "\033P10"},
    {"Elit", "Elit (12 CPI)", "\033P12"},
    {"Condenced", "Condenced", ""},
    {"NoCondenced", "No Condenced", ""},
    {"CondPica", "Cond. Pica (17 CPI)", "\033P17"},
    {"CondElit", "Cond. Elit (20 CPI)", "\033P20"},
    {"Portrait", "Portrait Page", "\033OL"},
    {"Landscape", "Landscape Page", "\033OP"},
    {"Pitch", "Pitch 00", "\033P00"},
    {"LPI", "LPI 00", "\033L00"},
}};

constexpr std::array<SchemeEntry, SchemeEntryCount> makeEntries() {
    std::array<SchemeEntry, SchemeEntryCount> entries{};
    for (std::size_t i = 0; i < SchemeEntryCount; ++i)
        entries[i] = static_cast<SchemeEntry>(i);
    return entries;
}

constexpr std::array<SchemeEntry, SchemeEntryCount> Entries = makeEntries();

const EntryRow& rowOf(SchemeEntry entry) {
    return Rows[static_cast<std::size_t>(entry)];
}

} // namespace

const std::array<SchemeEntry, SchemeEntryCount>& schemeEntries() {
    return Entries;
}

std::string_view schemeEntryName(SchemeEntry entry) {
    return rowOf(entry).name;
}

std::string_view schemeEntryLabel(SchemeEntry entry) {
    return rowOf(entry).label;
}

std::string defaultSchemeDisplay(SchemeEntry entry) {
    return std::string(rowOf(entry).defaultDisplay);
}

} // namespace marlet
