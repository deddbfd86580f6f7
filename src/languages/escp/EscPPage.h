#pragma once

#include "config/PrinterLanguage.h"
#include "languages/PrintHead.h"
#include "languages/escp/EscPCommandTable.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace marlet {

/// The form and the carriage of a dot-matrix printer: margins, tab stops, the form length
/// and the skip over the perforation, and the line and form feeds that follow them.
class EscPPage {
public:
    EscPPage(PrinterLanguage language, PrintHead& head) : m_language(language), m_head(head) {}

    /// Margins of the sheet, a tab stop every eight pica columns, a form the sheet's length.
    void powerOn();
    /// Acts on a page command; cell360 is the character width now in force, which column
    /// counts are taken in.
    void act(EscPAction action, std::string_view parameters, int cell360);
    /// CR: back to the left margin, and a line feed when the Proprinter's ESC 5 asks.
    void carriageReturn();
    /// LF: down one line; Epson printers also return the carriage.
    void lineFeed();
    /// FF: the top of the next form, as a new sheet.
    void formFeed();
    /// HT: right to the next tab stop; none further leaves the head where it is.
    void horizontalTab();
    /// VT: down to the next vertical tab stop, a line feed without stops, the next form
    /// past the last.
    void verticalTab();

private:
    void setFormLength(std::int64_t units, int perInch);
    void applyMargins();
    void applyForm();
    void resetTabs();

    PrinterLanguage m_language;
    PrintHead& m_head;
    bool m_autoLineFeed = false;
    // ESC/P2 ESC ( U: the unit of page commands, in 1/3600 inch.
    int m_unit3600 = 10;
    // Margins in 1/360 inch from the left edge; a right margin of 0 is the sheet's.
    int m_leftMargin360 = 0;
    int m_rightMargin360 = 0;
    // Tab stops in 1/360 inch from the left margin, and in pixels from the top margin.
    std::vector<int> m_horizontalTabs;
    std::vector<int> m_verticalTabs;
    // The form's length in units of 1/perInch inch, and the blank strip above its end that
    // ESC N skips, in device pixels.
    std::int64_t m_formUnits = 0;
    int m_formPerInch = 1;
    std::int64_t m_bottomSkip = 0;
    // ESC/P2 ESC ( c: the top margin in 1/3600 inch from the top of the form.
    std::int64_t m_topMargin3600 = 0;
};

} // namespace marlet
