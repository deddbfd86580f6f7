#include "PngPagesOutput.h"

#include "render/PageImages.h"

#include "base/Error.h"

#include <cmath>

namespace marlet {

PngPagesOutput::PngPagesOutput(const std::string& path, const VirtualPaper& paper,
                               std::optional<int> pictureDpi)
    : VirtualPageOutput(paper), m_path(path), m_pictureDpi(pictureDpi.value_or(paper.dpi)) {
}

QPainter& PngPagesOutput::beginDocument(const std::string&, Orientation orientation) {
    m_orientation = orientation;
    return startPage();
}

QPainter& PngPagesOutput::newPage() {
    finishPage();
    return startPage();
}

void PngPagesOutput::endDocument() {
    finishPage();
}

QPainter& PngPagesOutput::startPage() {
    PageSize size = pageImageSize(paper(), m_pictureDpi, m_orientation);
    // Gray levels are all a DOS printout has; a byte per pixel keeps an A4 page at 35 MB.
    m_image = QImage(size.width, size.height, QImage::Format_Grayscale8);
    if (m_image.isNull())
        throw Error("Out of memory");
    m_image.fill(Qt::white);
    int dotsPerMetre = static_cast<int>(std::lround(m_pictureDpi / 0.0254));
    m_image.setDotsPerMeterX(dotsPerMetre);
    m_image.setDotsPerMeterY(dotsPerMetre);
    m_painter.begin(&m_image);
    placeOrigin(m_painter, m_orientation, static_cast<double>(m_pictureDpi) / paper().dpi);
    return m_painter;
}

void PngPagesOutput::finishPage() {
    if (!m_painter.isActive())
        return;
    m_painter.end();
    std::string name = pageImageFileName(m_path, ++m_pagesWritten);
    bool saved = m_image.save(QString::fromStdString(name), "PNG");
    m_image = QImage();
    if (!saved)
        throw Error("Cannot create file " + name);
}

} // namespace marlet
