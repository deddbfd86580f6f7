#include "PrintHead.h"

#include "base/Rounding.h"

namespace marlet {

int PrintHead::across(std::int64_t units, int perInch) const {
    return fitField<std::int32_t>(
        static_cast<long double>(roundRatio(units * m_geometry.resx(), perInch)));
}

int PrintHead::down(std::int64_t units, int perInch) const {
    return fitField<std::int32_t>(
        static_cast<long double>(roundRatio(units * m_geometry.resy(), perInch)));
}

void PrintHead::setLineSpacing(std::int64_t units, int perInch) {
    m_geometry.LineHeight = fitField<std::uint16_t>(down(units, perInch));
}

PageSize PrintHead::place(const BitImage& image, int dotsPerInchX, int dotsPerInchY) {
    const PageSize size{across(image.width(), dotsPerInchX), down(image.height(), dotsPerInchY)};
    if (!image.inked())
        return size;
    if (!m_job.pageOpen)
        m_openPage();
    m_printer.drawImage(m_job.penX, m_job.penY, m_job.penX + size.width, m_job.penY + size.height,
                        image);
    return size;
}

} // namespace marlet
