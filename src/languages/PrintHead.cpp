#include "PrintHead.h"

#include "base/Rounding.h"

#include <algorithm>

namespace marlet {

int PrintHead::across(std::int64_t units, int perInch) const {
    return fitField<std::int32_t>(static_cast<long double>(
        roundRatio(units * m_geometry.resx() * m_scaleNumerator, perInch * m_scaleDenominator)));
}

int PrintHead::down(std::int64_t units, int perInch) const {
    return fitField<std::int32_t>(static_cast<long double>(
        roundRatio(units * m_geometry.resy() * m_scaleNumerator, perInch * m_scaleDenominator)));
}

void PrintHead::setLineSpacing(std::int64_t units, int perInch) {
    m_spacingUnits = units;
    m_spacingPerInch = perInch;
    m_geometry.LineHeight = fitField<std::uint16_t>(down(units, perInch));
}

void PrintHead::setScale(std::int64_t numerator, std::int64_t denominator) {
    m_scaleNumerator = numerator;
    m_scaleDenominator = denominator;
    if (m_spacingPerInch > 0)
        setLineSpacing(m_spacingUnits, m_spacingPerInch);
}

void PrintHead::setPenX(std::int64_t x) {
    m_job.penX = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(x, 0, std::max(0, m_printer.pageSize().width)));
}

void PrintHead::setPenY(std::int64_t y) {
    printLine();
    m_job.penY = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(y, 0, std::max(0, m_printer.pageSize().height)));
}

PageSize PrintHead::place(const BitImage& image, int dotsPerInchX, int dotsPerInchY) {
    const PageSize size{across(image.width(), dotsPerInchX), down(image.height(), dotsPerInchY)};
    if (!image.inked())
        return size;
    // A picture that starts off the sheet is not drawn; the pen may be anywhere PenLimit
    // allows, so the corners are worked out in 64 bits.
    const PageSize page = m_printer.pageSize();
    const std::int64_t right = std::int64_t{m_job.penX} + size.width;
    const std::int64_t bottom = std::int64_t{m_job.penY} + size.height;
    if (m_job.penX >= page.width || m_job.penY >= page.height || right <= 0 || bottom <= 0)
        return size;
    if (!m_job.pageOpen)
        m_openPage();
    m_printer.drawImage(m_job.penX, m_job.penY,
                        static_cast<int>(std::min<std::int64_t>(right, PenLimit)),
                        static_cast<int>(std::min<std::int64_t>(bottom, PenLimit)), image);
    return size;
}

} // namespace marlet
