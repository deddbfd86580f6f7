#pragma once

#include <cstdint>

namespace marlet {

/// The symbol sets a PCL job selects, as Unicode: PC-8, Roman-8, ISO 8859-1, -2 and -5,
/// PC-850, PC-852, PC Cyrillic and the Windows Latin and Cyrillic sets. Their lower half is
/// ASCII.
class PclSymbolSets {
public:
    /// Whether the symbol set's code is one of them.
    static bool known(int symbolSet);
    /// The character a byte prints in a known symbol set; a byte the set leaves empty
    /// prints as a blank, and so do the control bytes except in the PC sets.
    static char16_t character(int symbolSet, std::uint8_t byte);
    /// What a control byte prints as in the PC sets (U+263A for 0x01, ...).
    static char16_t controlGlyph(std::uint8_t byte);
};

} // namespace marlet
