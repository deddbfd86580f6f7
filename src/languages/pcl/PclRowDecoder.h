#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace marlet {

/// Unpacks the rows of PCL raster graphics: unencoded (mode 0), run-length pairs (1),
/// TIFF PackBits (2) and delta rows against the previous row, the seed (3). Each decoded
/// row becomes the seed of the next.
class PclRowDecoder {
public:
    /// The compression of the rows that follow; an unknown mode decodes to blank rows.
    void setMode(int mode) { m_mode = mode; }
    /// Starts a picture: the seed row is blank.
    void clearSeed() { m_seed.clear(); }

    /// Decodes one row's bytes; a row's data cut short gives what it holds.
    const std::vector<std::uint8_t>& decode(std::string_view data);

private:
    void runLength(std::string_view data);
    void packBits(std::string_view data);
    void deltaRow(std::string_view data);

    int m_mode = 0;
    std::vector<std::uint8_t> m_seed;
};

} // namespace marlet
