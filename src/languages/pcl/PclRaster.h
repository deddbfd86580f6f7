#pragma once

#include "languages/pcl/PclPage.h"
#include "languages/pcl/PclRowDecoder.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace marlet {

/// PCL raster graphics. Rows (in compression modes 0 to 3) are gathered from the cursor
/// down, one row per dot at the raster resolution, and drawn as one picture when raster
/// graphics end; the cursor is then at the picture's left edge below its last row. Rows
/// that would fall below the sheet are dropped, so a picture never grows past the page.
class PclRaster {
public:
    PclRaster(PrintHead& head, PclPage& page) : m_head(head), m_page(page) {}

    /// Whether rows are being gathered.
    bool active() const { return m_active; }
    /// Dots per inch of the next picture: 75, 100, 150, 200, 300 or 600; others and a
    /// change in the middle of a picture are ignored.
    void setResolution(long double dotsPerInch);
    /// The compression of the rows that follow.
    void setCompression(long double mode);
    /// Starts a picture at the left edge of the page or at the cursor; nothing while one
    /// is being gathered.
    void start(bool atCursor);
    /// Adds blank rows.
    void skipRows(long double rows);
    /// Adds a row from its data.
    void transferRow(std::string_view data);
    /// Draws what was gathered.
    void end();
    /// Power-on values: 75 dpi, no compression.
    void reset();

private:
    bool roomForRow() const { return m_rows.size() < m_maxRows; }

    PrintHead& m_head;
    PclPage& m_page;
    PclRowDecoder m_decoder;
    int m_resolution = 75;
    bool m_active = false;
    long double m_left = 0;
    long double m_top = 0;
    std::size_t m_maxRows = 0;
    std::vector<std::vector<std::uint8_t>> m_rows;
};

} // namespace marlet
