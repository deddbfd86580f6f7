#pragma once

#include "languages/LanguageCommands.h"
#include "languages/pcl/PclRowDecoder.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace marlet {

/// PCL raster graphics and cursor positioning. Raster rows (ESC * b # W, in compression
/// modes 0 to 3) are gathered from the cursor down, one row per dot at the raster
/// resolution (ESC * t # R), and drawn as one picture when raster graphics end: by
/// ESC * r B or C, by any other command or printed byte, or at the end of the job. The
/// cursor is then at the picture's left edge below its last row, as on a laser printer.
/// The cursor moves in decipoints (ESC & a # H and V) and in 1/300-inch dots (ESC * p # X
/// and Y); a signed value moves it from where it is.
class PclCommands final : public LanguageCommands {
public:
    PclCommands(PrintHead& head, JobInput& input) : m_head(head), m_input(input) {}

    bool escape() override;
    bool gathering() const override { return m_raster; }
    void finish() override;

private:
    /// One parameter of a (possibly combined) sequence: ESC * b 2 m 120 W is two.
    struct Parameter {
        char letter = 0; // upper case
        long double value = 0;
        bool relative = false;
    };
    bool parse(std::string_view ahead, std::vector<Parameter>& parameters,
               std::size_t& length) const;
    void act(char family, char group, const Parameter& parameter);
    void startRaster(bool atCursor);
    void transferRow(std::size_t bytes);
    void moveTo(std::int32_t& pen, std::int32_t origin, const Parameter& parameter, int resolution,
                int perInch);

    PrintHead& m_head;
    JobInput& m_input;
    PclRowDecoder m_decoder;
    int m_resolution = 75;
    bool m_raster = false;
    std::int32_t m_left = 0;
    std::int32_t m_top = 0;
    std::vector<std::vector<std::uint8_t>> m_rows;
};

} // namespace marlet
