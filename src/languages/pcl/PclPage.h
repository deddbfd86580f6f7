#pragma once

#include "languages/PrintHead.h"

#include <utility>
#include <vector>

namespace marlet {

/// A point on the printer's page, in device pixels.
struct DevicePoint {
    int x = 0;
    int y = 0;
};

/// The logical page of a PCL job and the cursor on it. Positions are device pixels from
/// the logical page's top-left corner (a quarter inch in from the sheet's left edge in
/// portrait, a fifth of an inch in landscape), kept in fractions so that runs of moves add
/// up as on the printer, and always held to the page. The cursor is on the baseline of the
/// text it prints; the text area is the top margin and the text length, in lines of the
/// vertical motion index (VMI), between the left and right margins. A print direction
/// turns the page's coordinates a quarter or more counterclockwise: positions, margins and
/// sizes are then the turned page's, the cursor staying where it is on the sheet.
class PclPage {
public:
    explicit PclPage(PrintHead& head) : m_head(head) {}

    /// Lays out the page for an orientation at power-on values: 6 lines per inch, 10
    /// characters per inch and the default margins.
    void reset(Orientation orientation);
    /// Lays out the page afresh on the sheet now under the printer, in an orientation and
    /// with the default margins, keeping the HMI and VMI.
    void layOut(Orientation orientation);
    /// The default margins: a half-inch top margin, the text length to half an inch above
    /// the bottom, no left or right margin; the cursor at the first line.
    void defaultMargins();
    Orientation orientation() const { return m_orientation; }

    /// Units of 1/perInch inch in device pixels across.
    long double across(long double units, long double perInch) const;
    /// Units of 1/perInch inch in device pixels down.
    long double down(long double units, long double perInch) const;

    long double x() const { return m_x; }
    long double y() const { return m_y; }
    long double width() const { return m_width; }
    long double length() const { return m_length; }
    long double leftMargin() const { return m_left; }
    long double rightMargin() const { return m_right; }
    long double topMargin() const { return m_top; }
    long double vmi() const { return m_vmi; }
    long double hmi() const { return m_hmi; }
    /// The device pixel of a position across and down.
    DevicePoint device(long double x, long double y) const;
    /// Quarter turns counterclockwise of the print direction.
    int turns() const { return m_turns; }
    /// ESC & a # P: the coordinates turn by quarter turns counterclockwise from the
    /// logical page's; the margins turn with them, the cursor keeps its place on the sheet.
    void setDirection(int turns);

    /// Moves the cursor across to x, or by x when relative.
    void moveX(long double x, bool relative);
    /// Moves the cursor down to y from the top margin, or by y when relative.
    void moveY(long double y, bool relative);
    /// The cursor to a column of the HMI, or by columns when relative.
    void moveToColumn(long double columns, bool relative);
    /// The cursor to a row of the VMI (row 0 is the first line), or by rows.
    void moveToRow(long double rows, bool relative);
    void pushPosition();
    void popPosition();

    void setHmi(long double pixels);
    void setVmi(long double pixels);
    /// Top margin in lines; ignored past the page or while the VMI is 0.
    void setTopMargin(long double lines);
    /// Text length in lines below the top margin; ignored past the page.
    void setTextLength(long double lines);
    void setPerforationSkip(bool on) { m_perforationSkip = on; }
    /// Margins at a column of the HMI; ignored where they would cross.
    void setLeftMargin(long double column);
    void setRightMargin(long double column);
    void clearHorizontalMargins();

    void carriageReturn() { m_x = m_left; }
    /// Moves down a line (half a line), to the next page past the text area.
    void lineFeed(long double lines = 1);
    /// Ends the page when something is on it; the cursor goes to the first line.
    void formFeed();

private:
    long double firstLine() const { return m_top + m_vmi * 3 / 4; }
    void defaultTextLength();
    /// A position of the turned page on the logical page, and back.
    std::pair<long double, long double> toLogical(long double x, long double y) const;
    std::pair<long double, long double> fromLogical(long double u, long double v) const;

    PrintHead& m_head;
    Orientation m_orientation = Orientation::Portrait;
    int m_originX = 0; // the logical page's corner in device pixels
    int m_originY = 0;
    // The logical page, and the page as the print direction turns it.
    long double m_pageWidth = 0;
    long double m_pageLength = 0;
    int m_turns = 0;
    long double m_width = 0;
    long double m_length = 0;
    long double m_x = 0;
    long double m_y = 0;
    long double m_left = 0;
    long double m_right = 0;
    long double m_top = 0;
    long double m_bottom = 0;
    long double m_vmi = 0;
    long double m_hmi = 0;
    bool m_perforationSkip = true;
    std::vector<std::pair<long double, long double>> m_pushed;
};

} // namespace marlet
