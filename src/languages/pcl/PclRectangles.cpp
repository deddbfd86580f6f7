#include "languages/pcl/PclRectangles.h"

#include <algorithm>
#include <cmath>

namespace marlet {

namespace {

// The grey a LaserJet prints for a shading percentage, in its eight steps.
int shadeLevel(int percent) {
    struct Step {
        int upTo;
        int shade;
    };
    constexpr Step Steps[] = {{0, 0},   {2, 2},   {10, 10}, {20, 20},
                              {35, 30}, {55, 45}, {80, 70}, {99, 90}};
    for (const Step& step : Steps)
        if (percent <= step.upTo)
            return step.shade;
    return 100;
}

} // namespace

void PclRectangles::reset() {
    m_width = 0;
    m_height = 0;
    m_pattern = 0;
}

void PclRectangles::fill(int kind) {
    // The area runs right and down from the cursor on the page as the print direction
    // turns it; on the sheet it is another rectangle.
    const DevicePoint from = m_page.device(m_page.x(), m_page.y());
    const DevicePoint to = m_page.device(std::min(m_page.x() + m_width, m_page.width()),
                                         std::min(m_page.y() + m_height, m_page.length()));
    const int left = std::min(from.x, to.x);
    const int top = std::min(from.y, to.y);
    const int right = std::max(from.x, to.x);
    const int bottom = std::max(from.y, to.y);
    if (right <= left || bottom <= top)
        return;
    if (kind == 2 && shadeLevel(m_pattern) == 0)
        return;
    if (kind == 3 && (m_pattern < 1 || m_pattern > 6))
        return;
    m_head.openPage();
    PageDevice& printer = m_head.printer();
    if (kind == 1) {
        printer.setFillColor(255, 255, 255);
    } else if (kind == 2) {
        const auto grey =
            static_cast<std::uint8_t>(std::lround(255 * (100 - shadeLevel(m_pattern)) / 100.0));
        printer.setFillColor(grey, grey, grey);
    } else if (kind == 3) {
        // A quarter turn makes horizontal lines vertical and rising ones falling.
        int pattern = m_pattern;
        if (m_page.turns() % 2 == 1 && pattern <= 4)
            pattern += pattern % 2 == 1 ? 1 : -1;
        hatch(left, top, right, bottom, pattern);
        return;
    }
    printer.fillRect(left, top, right, bottom);
    printer.setFillColor(0, 0, 0);
}

void PclRectangles::hatch(int left, int top, int right, int bottom, int pattern) {
    // Lines a sixteenth of an inch apart and one 300-dpi dot thick: 1 horizontal,
    // 2 vertical, 3 rising, 4 falling, 5 both straight, 6 both diagonal.
    PageDevice& printer = m_head.printer();
    const int gap = std::max(2, static_cast<int>(std::lround(m_page.across(1, 16))));
    const int thickness = std::max(1, static_cast<int>(std::lround(m_page.across(1, 300))));
    if (pattern == 1 || pattern == 5)
        for (int y = top; y < bottom; y += gap)
            printer.fillRect(left, y, right, std::min(bottom, y + thickness));
    if (pattern == 2 || pattern == 5)
        for (int x = left; x < right; x += gap)
            printer.fillRect(x, top, std::min(right, x + thickness), bottom);
    if (pattern == 3 || pattern == 4 || pattern == 6) {
        printer.setPenWidth(thickness);
        if (pattern != 4)
            diagonals(left, top, right, bottom, true);
        if (pattern != 3)
            diagonals(left, top, right, bottom, false);
    }
}

void PclRectangles::diagonals(int left, int top, int right, int bottom, bool rising) {
    // Each line runs at 45 degrees across the rectangle; x + y (rising) or x - y (falling)
    // is the same along it, and it is cut where it leaves the rectangle.
    PageDevice& printer = m_head.printer();
    const int gap = std::max(2, static_cast<int>(std::lround(m_page.across(1, 16))));
    const int width = right - left;
    const int height = bottom - top;
    for (int d = gap / 2; d < width + height; d += gap) {
        // u across and v down (rising) or up (falling) from a corner, u + v = d.
        const int uStart = std::max(0, d - height);
        const int uEnd = std::min(width, d);
        const int from = rising ? top : bottom;
        const int sign = rising ? 1 : -1;
        printer.moveTo(left + uStart, from + sign * (d - uStart));
        printer.lineTo(left + uEnd, from + sign * (d - uEnd));
    }
}

} // namespace marlet
