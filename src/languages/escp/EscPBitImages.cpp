#include "languages/escp/EscPBitImages.h"

#include "languages/escp/EscPCommandTable.h"

#include <algorithm>
#include <string>

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
    case '.':
        raster(command);
        return;
    default:
        return;
    }
}

void EscPBitImages::raster(std::string_view command) {
    // ESC . c v h m nL nH: rows of dots, plain (c 0) or run-length (c 1), v and h in
    // 1/3600 inch a dot.
    if (command.size() < 7)
        return;
    const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(command[i]); };
    const int compression = at(1);
    const int dotY = at(2);
    const int dotX = at(3);
    const int rows = at(4);
    const int width = at(5) + 256 * at(6);
    if ((compression != 0 && compression != 1) || dotX == 0 || dotY == 0)
        return;
    const std::size_t stride = (static_cast<std::size_t>(width) + 7) / 8;
    std::string dots;
    dots.reserve(stride * static_cast<std::size_t>(rows));
    std::string_view data = command.substr(7);
    if (compression == 0) {
        dots.assign(data.substr(0, stride * static_cast<std::size_t>(rows)));
    } else {
        // A counter below 128 is followed by so many plus one bytes; one from 128 up by
        // one byte that repeats 257 minus the counter times.
        std::size_t i = 0;
        while (i < data.size() && dots.size() < stride * static_cast<std::size_t>(rows)) {
            const auto n = static_cast<std::uint8_t>(data[i++]);
            if (n < 128) {
                dots.append(data.substr(i, n + 1u));
                i += n + 1u;
            } else if (i < data.size()) {
                dots.append(257u - n, data[i++]);
            }
        }
    }
    const int whole = stride == 0 ? 0
                                  : static_cast<int>(std::min<std::size_t>(
                                        dots.size() / stride, static_cast<std::size_t>(rows)));
    BitImage picture(width, whole);
    for (int y = 0; y < whole; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto part = static_cast<std::uint8_t>(
                dots[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x / 8)]);
            if ((part >> (7 - x % 8)) & 1)
                picture.setDot(x, y);
        }
    }
    JobState& job = m_head.job();
    // The head moves by the dots sent, also when the job cut the rows short.
    const int advance = m_head.across(width * dotX, 3600);
    m_head.place(picture, 3600 / dotX, 3600 / dotY);
    m_head.setPenX(std::int64_t{job.penX} + advance);
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
