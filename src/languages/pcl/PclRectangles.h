#pragma once

#include "languages/pcl/PclPage.h"

#include <algorithm>

namespace marlet {

/// PCL rectangular area fill: a size in dots or decipoints, a pattern ID, and a fill at the
/// cursor (its top-left corner) in black, white, a shade of grey, or one of the six
/// cross-hatch patterns. The cursor does not move.
class PclRectangles {
public:
    PclRectangles(PrintHead& head, PclPage& page) : m_head(head), m_page(page) {}

    void reset();
    void setWidth(long double pixels) { m_width = std::clamp(pixels, 0.0L, m_page.width()); }
    void setHeight(long double pixels) { m_height = std::clamp(pixels, 0.0L, m_page.length()); }
    void setPattern(long double id) { m_pattern = static_cast<int>(std::clamp(id, 0.0L, 100.0L)); }
    /// Fills the rectangle: 0 black, 1 white, 2 the shade of the pattern ID in percent,
    /// 3 the cross-hatch pattern of the ID, others (user patterns) black.
    void fill(int kind);

private:
    void hatch(int left, int top, int right, int bottom, int pattern);
    void diagonals(int left, int top, int right, int bottom, bool rising);

    PrintHead& m_head;
    PclPage& m_page;
    long double m_width = 0;
    long double m_height = 0;
    int m_pattern = 0;
};

} // namespace marlet
