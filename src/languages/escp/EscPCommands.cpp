#include "languages/escp/EscPCommands.h"

#include <algorithm>

namespace marlet {

namespace {

// How much of a long image is looked at in one piece.
constexpr std::size_t DataChunk = 4096;

} // namespace

EscPCommands::EscPCommands(PrinterLanguage language, PrintHead& head, JobInput& input)
    : m_language(language), m_head(head), m_input(input) {
    if (language == PrinterLanguage::EscP2) {
        m_verticalUnit = 180;
        m_eightDotDensity = 60;
    }
}

std::optional<EscPCommands::ImageMode> EscPCommands::starMode(std::uint8_t mode) const {
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
    default:
        return std::nullopt;
    }
}

bool EscPCommands::takes(std::uint8_t command, std::string_view ahead) const {
    switch (command) {
    case 'K':
    case 'L':
    case 'Y':
    case 'Z':
    case '0':
    case '1':
    case '2':
    case '3':
    case 'A':
    case 'J':
        return true;
    case '*':
        // An unknown density is no image: the printer ignores it and so do we.
        return m_language != PrinterLanguage::Proprinter &&
               (ahead.size() < 2 || starMode(static_cast<std::uint8_t>(ahead[1])));
    case '^':
    case '+':
    case '$':
    case '\\':
        return m_language != PrinterLanguage::Proprinter;
    default:
        return false;
    }
}

bool EscPCommands::escape() {
    const std::string_view ahead = m_input.following(2);
    if (ahead.empty() || !takes(static_cast<std::uint8_t>(ahead[0]), ahead))
        return false;
    act(m_input.next());
    return true;
}

std::optional<std::uint8_t> EscPCommands::byte() {
    if (!m_input.hasNext())
        return std::nullopt;
    return m_input.next();
}

std::optional<int> EscPCommands::count() {
    std::optional<std::uint8_t> low = byte();
    std::optional<std::uint8_t> high = low ? byte() : std::nullopt;
    if (!high)
        return std::nullopt;
    return *low + 256 * *high;
}

std::string EscPCommands::data(std::size_t bytes) {
    // Up to so many bytes, from the initialisation string and then the file: a count
    // larger than what follows takes what there is.
    std::string out;
    while (out.size() < bytes && m_input.hasNext()) {
        std::string_view piece = m_input.following(std::min(DataChunk, bytes - out.size()));
        out.append(piece);
        m_input.skip(piece.size());
    }
    return out;
}

void EscPCommands::act(std::uint8_t command) {
    JobState& job = m_head.job();
    const ImageMode eightDot{60, m_eightDotDensity, 1};
    switch (command) {
    case 'K':
        image(eightDot);
        break;
    case 'L':
    case 'Y':
        image({120, m_eightDotDensity, 1});
        break;
    case 'Z':
        image({240, m_eightDotDensity, 1});
        break;
    case '*':
        if (std::optional<std::uint8_t> mode = byte())
            image(*starMode(*mode));
        break;
    case '^':
        // Nine dots a column in two bytes: the second byte's high bit is the ninth pin.
        if (std::optional<std::uint8_t> density = byte())
            image({(*density & 1) ? 120 : 60, m_eightDotDensity, 2});
        break;
    case '0':
        m_head.setLineSpacing(1, 8);
        break;
    case '1':
        m_head.setLineSpacing(7, 72);
        break;
    case '2':
        if (m_language == PrinterLanguage::Proprinter)
            m_head.setLineSpacing(m_storedSpacing, 72);
        else
            m_head.setLineSpacing(1, 6);
        break;
    case '3':
        if (std::optional<std::uint8_t> n = byte())
            m_head.setLineSpacing(*n, m_verticalUnit);
        break;
    case 'A':
        if (std::optional<std::uint8_t> n = byte()) {
            if (m_language == PrinterLanguage::Proprinter)
                m_storedSpacing = *n;
            else
                m_head.setLineSpacing(*n, m_language == PrinterLanguage::EscP2 ? 60 : 72);
        }
        break;
    case '+':
        if (std::optional<std::uint8_t> n = byte())
            m_head.setLineSpacing(*n, 360);
        break;
    case 'J':
        if (std::optional<std::uint8_t> n = byte())
            job.penY += m_head.down(*n, m_verticalUnit);
        break;
    case '$':
        if (std::optional<int> n = count())
            job.penX = m_head.geometry().OriginX + m_head.across(*n, 60);
        break;
    case '\\':
        // A signed 16-bit step: 1/120 inch on 9 pins, 1/180 in letter quality on 24.
        if (std::optional<int> n = count())
            job.penX += m_head.across(static_cast<std::int16_t>(*n),
                                      m_language == PrinterLanguage::EscP2 ? 180 : 120);
        break;
    default:
        break;
    }
}

void EscPCommands::image(const ImageMode& mode) {
    std::optional<int> columns = count();
    if (!columns)
        return;
    const std::string bytes = data(static_cast<std::size_t>(*columns) * mode.bytesPerColumn);
    // Only whole columns are drawn; a column cut by the end of the job is not.
    const int whole = static_cast<int>(bytes.size()) / mode.bytesPerColumn;
    const int height = mode.bytesPerColumn == 2 ? 9 : 8 * mode.bytesPerColumn;
    BitImage picture(whole, height);
    for (int x = 0; x < whole; ++x) {
        const char* column = bytes.data() + static_cast<std::ptrdiff_t>(x) * mode.bytesPerColumn;
        for (int y = 0; y < height; ++y) {
            const auto part = static_cast<std::uint8_t>(column[y / 8]);
            if ((part >> (7 - y % 8)) & 1)
                picture.setDot(x, y);
        }
    }
    JobState& job = m_head.job();
    job.penX += m_head.place(picture, mode.dotsPerInchX, mode.dotsPerInchY).width;
}

} // namespace marlet
