#pragma once

#include "config/PrinterLanguage.h"
#include "languages/PrintHead.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace marlet {

/// The images of the dot-matrix languages, column images (ESC K, L, Y, Z, ESC *, ESC ^)
/// and ESC/P2 raster graphics (ESC .): drawn at the print position, which then moves right
/// by their width, as the print head does.
class EscPBitImages {
public:
    EscPBitImages(PrinterLanguage language, PrintHead& head);

    /// Draws the image of a whole command, its bytes after ESC; a command cut by the end
    /// of the job draws the whole columns it holds.
    void draw(std::string_view command);

private:
    /// How a column image is sent: dots to the inch across and down, bytes a column.
    struct ImageMode {
        int dotsPerInchX = 0;
        int dotsPerInchY = 0;
        int bytesPerColumn = 1;
    };
    std::optional<ImageMode> starMode(std::uint8_t mode) const;
    void columns(const ImageMode& mode, std::string_view data);
    void raster(std::string_view command);

    PrinterLanguage m_language;
    PrintHead& m_head;
    // 8-dot columns are 1/72 inch a dot on 9 pins, 1/60 on 24 (every third pin).
    int m_eightDotDensity = 72;
};

} // namespace marlet
