#include "PicturePageOutput.h"

#include <QPaintDevice>
#include <QPainter>

namespace marlet {

int PicturePageOutput::resolutionX() const {
    return m_painter.device()->logicalDpiX();
}

int PicturePageOutput::resolutionY() const {
    return m_painter.device()->logicalDpiY();
}

PageSize PicturePageOutput::pageSize(Orientation) const {
    return {m_painter.device()->width(), m_painter.device()->height()};
}

PhysicalPage PicturePageOutput::physicalPage() const {
    return {m_painter.device()->width(), m_painter.device()->height(), 0, 0};
}

QPainter& PicturePageOutput::beginDocument(const std::string&, Orientation) {
    return m_painter;
}

} // namespace marlet
