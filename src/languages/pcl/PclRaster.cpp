#include "languages/pcl/PclRaster.h"

#include <algorithm>
#include <cmath>

namespace marlet {

namespace {

// The picture as it prints under a print direction of so many quarter turns
// counterclockwise.
BitImage turned(const BitImage& picture, int turns) {
    if (turns == 0)
        return picture;
    const int width = picture.width();
    const int height = picture.height();
    const bool across = turns % 2 == 0;
    BitImage out(across ? width : height, across ? height : width);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!picture.dot(x, y))
                continue;
            if (turns == 1)
                out.setDot(y, width - 1 - x);
            else if (turns == 2)
                out.setDot(width - 1 - x, height - 1 - y);
            else
                out.setDot(height - 1 - y, x);
        }
    }
    return out;
}

} // namespace

void PclRaster::setResolution(long double dotsPerInch) {
    if (m_active)
        return;
    for (int supported : {75, 100, 150, 200, 300, 600}) {
        if (dotsPerInch == supported)
            m_resolution = supported;
    }
}

void PclRaster::setCompression(long double mode) {
    m_decoder.setMode(static_cast<int>(std::clamp(mode, -1.0L, 1000.0L)));
}

void PclRaster::start(bool atCursor) {
    if (m_active)
        return;
    m_active = true;
    m_left = atCursor ? m_page.x() : 0;
    m_top = m_page.y();
    // Rows end at the bottom of the sheet: each is resolution-th of an inch.
    const long double room = m_page.length() - m_top;
    m_maxRows = static_cast<std::size_t>(
        std::max(0.0L, std::ceil(room * m_resolution / m_head.geometry().resy())));
    m_rows.clear();
    m_decoder.clearSeed();
}

void PclRaster::skipRows(long double rows) {
    start(false);
    const std::size_t room = m_maxRows - m_rows.size();
    const auto count =
        static_cast<std::size_t>(std::clamp(rows, 0.0L, static_cast<long double>(room)));
    m_rows.resize(m_rows.size() + count);
    m_decoder.clearSeed();
}

void PclRaster::transferRow(std::string_view data) {
    start(false);
    // A row below the sheet is still decoded: later delta rows build on it.
    const std::vector<std::uint8_t>& row = m_decoder.decode(data);
    if (roomForRow())
        m_rows.push_back(row);
}

void PclRaster::end() {
    if (!m_active)
        return;
    m_active = false;
    std::size_t widest = 0;
    for (const std::vector<std::uint8_t>& row : m_rows)
        widest = std::max(widest, row.size());
    BitImage picture(static_cast<int>(widest * 8), static_cast<int>(m_rows.size()));
    for (std::size_t y = 0; y < m_rows.size(); ++y)
        std::copy(m_rows[y].begin(), m_rows[y].end(), picture.row(static_cast<int>(y)));
    m_rows.clear();
    JobState& job = m_head.job();
    if (picture.inked())
        m_head.openPage();
    // The picture's corner on the sheet: the one of its turned area nearest the sheet's.
    const DevicePoint from = m_page.device(m_left, m_top);
    const DevicePoint to = m_page.device(m_left + m_page.across(picture.width(), m_resolution),
                                         m_top + m_page.down(picture.height(), m_resolution));
    job.penX = std::min(from.x, to.x);
    job.penY = std::min(from.y, to.y);
    m_head.place(turned(picture, m_page.turns()), m_resolution, m_resolution);
    m_page.moveX(m_left, false);
    m_page.moveY(m_top + m_page.down(picture.height(), m_resolution) - m_page.y(), true);
}

void PclRaster::reset() {
    m_active = false;
    m_rows.clear();
    m_resolution = 75;
    m_decoder.setMode(0);
    m_decoder.clearSeed();
}

} // namespace marlet
