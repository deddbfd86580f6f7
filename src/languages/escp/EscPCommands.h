#pragma once

#include "languages/LanguageCommands.h"
#include "languages/escp/EscPBitImages.h"
#include "languages/escp/EscPCommandTable.h"
#include "languages/escp/EscPTextState.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace marlet {

/// The dot-matrix languages as the printer obeys them: 9-pin ESC/P, 24-pin ESC/P2 and the
/// Proprinter. Every escape command of the table is taken with all its bytes, from the
/// initialisation string and the file alike, so that no parameter byte prints; control
/// codes move the head as the printer's do; pitch and style go to the cell and its font.
class EscPCommands final : public LanguageCommands {
public:
    EscPCommands(PrinterLanguage language, PrintHead& head, JobInput& input);

    bool escape() override;
    void start() override;
    bool controls(std::uint8_t byte) const override { return byte < 0x20 || byte == 0x7F; }
    bool control(std::uint8_t byte) override;
    bool wrapsBeforeCharacter() const override { return true; }

private:
    void act(const EscPCommand& command, std::string_view bytes);
    void actOnStyle(EscPAction action, std::string_view parameters);
    void actOnPage(EscPAction action, std::string_view parameters);
    void powerOn();
    void lineFeed(std::int64_t pixels);
    void formFeed();
    void horizontalTab();
    void verticalTab();
    void setFormLength(std::int64_t pixels);
    void applyMargins();
    void applyForm();

    PrinterLanguage m_language;
    PrintHead& m_head;
    JobInput& m_input;
    EscPBitImages m_images;
    EscPTextState m_text;
    // ESC 3 and ESC J: 1/216 inch on 9-pin printers, 1/180 on 24-pin ones.
    int m_verticalUnit = 216;
    // The Proprinter keeps ESC A's spacing until ESC 2 takes it up, in 1/72 inch.
    int m_storedSpacing = 12;
    bool m_autoLineFeed = false;
    // ESC/P2 ESC ( U: the unit of page commands, in 1/3600 inch.
    int m_unit3600 = 10;
    // Margins in 1/360 inch from the left edge; a right margin of 0 is the sheet's.
    int m_leftMargin360 = 0;
    int m_rightMargin360 = 0;
    // Tab stops in 1/360 inch from the left margin, and in pixels from the top of the form.
    std::vector<int> m_horizontalTabs;
    std::vector<int> m_verticalTabs;
    // The form and the blank strip above its end that ESC N skips, in device pixels.
    std::int64_t m_formLength = 0;
    std::int64_t m_bottomSkip = 0;
};

} // namespace marlet
