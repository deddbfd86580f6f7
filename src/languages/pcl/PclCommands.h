#pragma once

#include "charset/CodePageTable.h"
#include "languages/LanguageCommands.h"
#include "languages/pcl/PclCommandTable.h"
#include "languages/pcl/PclPage.h"
#include "languages/pcl/PclRaster.h"
#include "languages/pcl/PclRectangles.h"
#include "languages/pcl/PclText.h"
#include "languages/pcl/PclTokenizer.h"

#include <string>

namespace marlet {

/// A PCL 5 printer: every escape sequence is cut into whole commands and looked up in the
/// command table, which says what data follows each and what obeys it; commands no
/// printer knows are taken all the same, so no byte of a command ever prints. Text is set
/// on the logical page by the job's fonts; control codes move the cursor. The job starts
/// in the power-on state that ESC E and a Universal Exit Language restore.
class PclCommands final : public LanguageCommands {
public:
    PclCommands(PrintHead& head, JobInput& input, const CodePageTable& table);

    bool escape() override;
    bool placesText() const override { return true; }
    void print(std::uint8_t byte) override;
    void finish() override;

private:
    friend class PclCommandTable;

    void run(const PclCommand& command);
    void reset();
    void printCharacter(std::uint8_t byte);
    long double unitsAcross(const PclCommand& command) const;
    long double unitsDown(const PclCommand& command) const;

    // Handlers of the command table.
    void printerReset(const PclCommand&);
    void clearMargins(const PclCommand&);
    void halfLineFeed(const PclCommand&);
    void displayFunctions(const PclCommand&);
    void exitLanguage(const PclCommand&);
    void plotterBlock(const PclCommand&);
    void move(const PclCommand&);
    void layout(const PclCommand&);
    void underline(const PclCommand&);
    void pushPop(const PclCommand&);
    void lineTermination(const PclCommand&);
    void pageControl(const PclCommand&);
    void changePaper(PageSize sheet);
    /// The printer's own paper again, as at power-on.
    void restorePaper();
    void printDirection(const PclCommand&);
    void font(const PclCommand&);
    void transparentData(const PclCommand&);
    void wrap(const PclCommand&);
    void unitOfMeasure(const PclCommand&);
    void softFont(const PclCommand&);
    void rectangle(const PclCommand&);
    void raster(const PclCommand&);

    PrintHead& m_head;
    const CodePageTable& m_table;
    PclTokenizer m_tokenizer;
    PclPage m_page;
    PclText m_text;
    PclRectangles m_rectangles;
    PclRaster m_raster;
    Orientation m_powerOnOrientation;
    PhysicalPage m_powerOnPaper;
    // The data of the command being run, as far as its handler looks at it.
    std::string m_data;
    long double m_unitsPerInch = 300;
    bool m_displayFunctions = false;
    // Under display functions: the byte before was an escape, shown.
    bool m_escapeShown = false;
};

} // namespace marlet
