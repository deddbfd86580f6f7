#pragma once

#include "languages/LanguageCommands.h"

#include <cstdint>
#include <optional>
#include <string>

namespace marlet {

/// Bit images and spacing of the dot-matrix languages: 9-pin ESC/P, 24-pin ESC/P2 and the
/// Proprinter. Column images (ESC K, L, Y, Z, ESC *, ESC ^) are drawn at the print position,
/// which then moves right by their width, as the print head does; line spacing (ESC 0, 1,
/// 2, 3, A, +), paper advance (ESC J) and horizontal moves (ESC $, ESC \) follow the units
/// of the language.
class EscPCommands final : public LanguageCommands {
public:
    EscPCommands(PrinterLanguage language, PrintHead& head, JobInput& input);

    bool escape() override;

private:
    /// How a column image is sent: dots to the inch across and down, bytes a column.
    struct ImageMode {
        int dotsPerInchX = 0;
        int dotsPerInchY = 0;
        int bytesPerColumn = 1;
    };
    std::optional<ImageMode> starMode(std::uint8_t mode) const;
    bool takes(std::uint8_t command, std::string_view ahead) const;
    void act(std::uint8_t command);
    std::optional<std::uint8_t> byte();
    std::optional<int> count();
    std::string data(std::size_t bytes);
    void image(const ImageMode& mode);

    PrinterLanguage m_language;
    PrintHead& m_head;
    JobInput& m_input;
    // ESC 3 and ESC J: 1/216 inch on 9-pin printers, 1/180 on 24-pin ones.
    int m_verticalUnit = 216;
    // 8-dot columns are 1/72 inch a dot on 9 pins, 1/60 on 24 (every third pin).
    int m_eightDotDensity = 72;
    // The Proprinter keeps ESC A's spacing until ESC 2 takes it up, in 1/72 inch.
    int m_storedSpacing = 12;
};

} // namespace marlet
