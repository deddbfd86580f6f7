#include "languages/escp/EscPBitImages.h"

#include "languages/escp/EscPCommandTable.h"

namespace marlet {

EscPBitImages::EscPBitImages(PrinterLanguage language, PrintHead& head)
    : m_language(language), m_head(head) {
    if (language == PrinterLanguage::EscP2)
        m_eightDotDensity = 60;
}

std::optional<EscPBitImages::ImageMode> EscPBitImages::starMode(std::uint8_t mode) const {
    const int eight = m_eightDotDensity;
    switch (mode) {
    case 0:
        return ImageMode{60, eight, 1};
    case 1:
    case 2:
        return ImageMode{120, eight, 1};
    case 3:
        return ImageMode{240, eight, 1};
    case 4:
        return ImageMode{80, eight, 1};
    case 5:
        return ImageMode{72, eight, 1};
    case 6:
        return ImageMode{90, eight, 1};
    case 7:
        return ImageMode{144, eight, 1};
    case 32:
        return ImageMode{60, 180, 3};
    case 33:
        return ImageMode{120, 180, 3};
    case 38:
        return ImageMode{90, 180, 3};
    case 39:
        return ImageMode{180, 180, 3};
    case 40:
        return ImageMode{360, 180, 3};
    case 71:
        return ImageMode{180, 360, 6};
    case 72:
    case 73:
        return ImageMode{360, 360, 6};
    default:
        return std::nullopt;
    }
}

void EscPBitImages::draw(std::string_view command) {
    // Every byte count was checked against the command table before this is called; only
    // the end of the job can cut the columns short.
    if (command.empty())
        return;
    switch (command[0]) {
    case 'K':
        return columns({60, m_eightDotDensity, 1},
                       command.substr(std::min<std::size_t>(3, command.size())));
    case 'L':
    case 'Y':
        return columns({120, m_eightDotDensity, 1},
                       command.substr(std::min<std::size_t>(3, command.size())));
    case 'Z':
        return columns({240, m_eightDotDensity, 1},
                       command.substr(std::min<std::size_t>(3, command.size())));
    case '^':
        // Nine dots a column in two bytes: the second byte's high bit is the ninth pin.
        if (command.size() >= 2)
            columns({(command[1] & 1) ? 120 : 60, m_eightDotDensity, 2},
                    command.substr(std::min<std::size_t>(4, command.size())));
        return;
    case '*':
        // A density the printer lacks draws nothing; its columns were taken all the same.
        if (command.size() >= 2 &&
            starColumnBytes(static_cast<std::uint8_t>(command[1]), m_language) != 0) {
            if (std::optional<ImageMode> mode = starMode(static_cast<std::uint8_t>(command[1])))
                columns(*mode, command.substr(std::min<std::size_t>(4, command.size())));
        }
        return;
    default:
        return;
    }
}

void EscPBitImages::columns(const ImageMode& mode, std::string_view data) {
    // Only whole columns are drawn; a column cut by the end of the job is not.
    const int whole = static_cast<int>(data.size() / static_cast<std::size_t>(mode.bytesPerColumn));
    const int height = mode.bytesPerColumn == 2 ? 9 : 8 * mode.bytesPerColumn;
    BitImage picture(whole, height);
    for (int x = 0; x < whole; ++x) {
        const char* column = data.data() + static_cast<std::ptrdiff_t>(x) * mode.bytesPerColumn;
        for (int y = 0; y < height; ++y) {
            const auto part = static_cast<std::uint8_t>(column[y / 8]);
            if ((part >> (7 - y % 8)) & 1)
                picture.setDot(x, y);
        }
    }
    JobState& job = m_head.job();
    m_head.setPenX(std::int64_t{job.penX} +
                   m_head.place(picture, mode.dotsPerInchX, mode.dotsPerInchY).width);
}

} // namespace marlet
