#include "languages/pcl/PclPage.h"

#include "base/Rounding.h"

#include <algorithm>
#include <cmath>

namespace marlet {

namespace {

// A LaserJet keeps twenty pushed positions.
constexpr std::size_t MaxPushed = 20;

int nearest(long double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

void PclPage::reset(Orientation orientation) {
    m_hmi = across(12, 120);
    m_vmi = down(8, 48);
    m_pushed.clear();
    layOut(orientation);
}

void PclPage::layOut(Orientation orientation) {
    m_orientation = orientation;
    m_head.job().requested = orientation;
    const PhysicalPage sheet = m_head.printer().physicalPage();
    const bool portrait = orientation == Orientation::Portrait;
    const int sheetWidth = portrait ? sheet.width : sheet.height;
    const int sheetLength = portrait ? sheet.height : sheet.width;
    const int unprintableX = portrait ? sheet.offsetX : sheet.offsetY;
    const int unprintableY = portrait ? sheet.offsetY : sheet.offsetX;
    // The logical page stands a quarter inch in from the sheet's edges in portrait (300
    // dots of 1/300 inch make an inch), 60 dots in landscape.
    const int inset = nearest(across(portrait ? 75 : 60, 300));
    m_originX = inset - unprintableX;
    m_originY = -unprintableY;
    m_pageWidth = std::max(0, sheetWidth - 2 * inset);
    m_pageLength = std::max(0, sheetLength);
    m_turns = 0;
    m_width = m_pageWidth;
    m_length = m_pageLength;
    m_hmi = std::min(m_hmi, m_width);
    m_vmi = std::min(m_vmi, m_length);
    defaultMargins();
}

void PclPage::defaultMargins() {
    m_left = 0;
    m_right = m_width;
    m_top = std::min(down(1, 2), m_length);
    defaultTextLength();
    m_x = m_left;
    m_y = firstLine();
}

long double PclPage::across(long double units, long double perInch) const {
    return units * m_head.geometry().resx() / perInch;
}

long double PclPage::down(long double units, long double perInch) const {
    return units * m_head.geometry().resy() / perInch;
}

DevicePoint PclPage::device(long double x, long double y) const {
    const auto [u, v] = toLogical(x, y);
    return {m_originX + nearest(u), m_originY + nearest(v)};
}

std::pair<long double, long double> PclPage::toLogical(long double x, long double y) const {
    // A quarter turn counterclockwise sends the turned page's x up the logical page and its
    // y to the right: its top-left corner is the logical page's bottom-left.
    switch (m_turns) {
    case 1:
        return {y, m_pageLength - x};
    case 2:
        return {m_pageWidth - x, m_pageLength - y};
    case 3:
        return {m_pageWidth - y, x};
    default:
        return {x, y};
    }
}

std::pair<long double, long double> PclPage::fromLogical(long double u, long double v) const {
    switch (m_turns) {
    case 1:
        return {m_pageLength - v, u};
    case 2:
        return {m_pageWidth - u, m_pageLength - v};
    case 3:
        return {v, m_pageWidth - u};
    default:
        return {u, v};
    }
}

void PclPage::setDirection(int turns) {
    const auto [x, y] = toLogical(m_x, m_y);
    const auto [left, top] = toLogical(m_left, m_top);
    const auto [right, bottom] = toLogical(m_right, m_bottom);
    m_turns = turns % 4;
    const bool across = m_turns % 2 == 0;
    m_width = across ? m_pageWidth : m_pageLength;
    m_length = across ? m_pageLength : m_pageWidth;
    std::tie(m_x, m_y) = fromLogical(x, y);
    // The text area stays where it is on the sheet: the old left margin may become the top.
    const auto [left1, top1] = fromLogical(left, top);
    const auto [left2, top2] = fromLogical(right, bottom);
    m_left = std::min(left1, left2);
    m_right = std::max(left1, left2);
    m_top = std::min(top1, top2);
    m_bottom = std::max(top1, top2);
}

void PclPage::moveX(long double x, bool relative) {
    m_x = std::clamp(relative ? m_x + x : x, 0.0L, m_width);
}

void PclPage::moveY(long double y, bool relative) {
    m_y = std::clamp(relative ? m_y + y : m_top + y, 0.0L, m_length);
}

void PclPage::moveToColumn(long double columns, bool relative) {
    moveX(columns * m_hmi, relative);
}

void PclPage::moveToRow(long double rows, bool relative) {
    if (relative)
        moveY(rows * m_vmi, true);
    else
        moveY(rows * m_vmi + m_vmi * 3 / 4, false);
}

void PclPage::pushPosition() {
    // Kept on the logical page, so that a position pushed in one print direction pops to
    // the same place in another.
    if (m_pushed.size() < MaxPushed)
        m_pushed.push_back(toLogical(m_x, m_y));
}

void PclPage::popPosition() {
    if (m_pushed.empty())
        return;
    std::tie(m_x, m_y) = fromLogical(m_pushed.back().first, m_pushed.back().second);
    m_pushed.pop_back();
}

void PclPage::setHmi(long double pixels) {
    m_hmi = std::clamp(pixels, 0.0L, m_width);
}

void PclPage::setVmi(long double pixels) {
    m_vmi = std::clamp(pixels, 0.0L, m_length);
}

void PclPage::setTopMargin(long double lines) {
    if (m_vmi <= 0 || lines < 0 || lines * m_vmi > m_length)
        return;
    m_top = lines * m_vmi;
    defaultTextLength();
}

void PclPage::setTextLength(long double lines) {
    if (lines < 1 || m_top + lines * m_vmi > m_length)
        return;
    m_bottom = m_top + lines * m_vmi;
}

void PclPage::defaultTextLength() {
    // Whole lines down to half an inch above the bottom of the page.
    const long double room = m_length - m_top - down(1, 2);
    const long double lines = m_vmi > 0 ? std::floor(std::max(0.0L, room) / m_vmi) : 0;
    m_bottom = m_top + lines * m_vmi;
}

void PclPage::setLeftMargin(long double column) {
    const long double left = column * m_hmi;
    if (column < 0 || left >= m_right)
        return;
    m_left = left;
    m_x = std::max(m_x, m_left);
}

void PclPage::setRightMargin(long double column) {
    const long double right = std::min((column + 1) * m_hmi, m_width);
    if (column < 0 || right <= m_left)
        return;
    m_right = right;
}

void PclPage::clearHorizontalMargins() {
    m_left = 0;
    m_right = m_width;
}

void PclPage::lineFeed(long double lines) {
    const long double y = m_y + lines * m_vmi;
    // With perforation skip on, text goes to the next page where the text area ends;
    // without it, where the sheet does.
    if ((m_perforationSkip && y > m_bottom + m_vmi / 4) || y > m_length) {
        formFeed();
        return;
    }
    m_y = y;
}

void PclPage::formFeed() {
    m_head.job().pageOpen = false;
    m_y = firstLine();
}

} // namespace marlet
