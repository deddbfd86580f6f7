#pragma once

#include "languages/LanguageCommands.h"
#include "languages/escp/EscPBitImages.h"
#include "languages/escp/EscPCommandTable.h"
#include "languages/escp/EscPCountries.h"
#include "languages/escp/EscPPage.h"
#include "languages/escp/EscPTextState.h"

#include <cstdint>
#include <string>
#include <string_view>

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
    bool translates(std::uint8_t byte) const override { return isNationalCode(byte); }
    char16_t character(std::uint8_t byte, char16_t code) const override {
        return m_country == 0 ? code : nationalCharacter(m_country, byte, code);
    }
    bool wrapsBeforeCharacter() const override { return true; }

private:
    void act(const EscPCommand& command, std::string_view bytes);
    void actOnStyle(EscPAction action, std::string_view parameters);
    void powerOn();
    void applyText();
    void endDoubleWidthLine();

    PrinterLanguage m_language;
    PrintHead& m_head;
    JobInput& m_input;
    EscPBitImages m_images;
    EscPTextState m_text;
    std::string m_fixedFace;
    // ESC 3 and ESC J: 1/216 inch on 9-pin printers, 1/180 on 24-pin ones.
    int m_verticalUnit = 216;
    EscPPage m_page;
    // The Proprinter keeps ESC A's spacing until ESC 2 takes it up, in 1/72 inch.
    int m_storedSpacing = 12;
    // ESC R: the country whose characters replace twelve ASCII codes; 0 is the USA.
    std::uint8_t m_country = 0;
};

} // namespace marlet
