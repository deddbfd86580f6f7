#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace marlet {

/// Character-set markers with a meaning of their own; every other value is the character
/// set a font is made with.
inline constexpr std::uint8_t BoxDrawingMarker = 0;
inline constexpr std::uint8_t InvisibleMarker = 254;

/// For each of the 256 bytes of a DOS code page: the character to print (a UTF-16 unit) and
/// its character-set marker.
class CodePageTable {
public:
    /// Loads a table file ("866.cp"). A file that cannot be opened, or holds no line or more
    /// than 256, leaves the table as it was; a bad line fails with the entries before it
    /// applied over a fresh identity table.
    void load(const std::string& fileName);
    /// Loads table text, as load() does for a file's bytes.
    void loadText(std::string_view text);

    std::uint16_t code(std::uint8_t byte) const { return m_codes[byte]; }
    std::uint8_t marker(std::uint8_t byte) const { return m_markers[byte]; }

private:
    void resetToIdentity();
    void applyLine(std::string_view line);

    // Before any load every entry is 0: every byte prints nothing.
    std::array<std::uint16_t, 256> m_codes{};
    std::array<std::uint8_t, 256> m_markers{};
};

} // namespace marlet
