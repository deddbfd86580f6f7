#include "VirtualPageOutput.h"

#include <QPainter>

namespace marlet {

void VirtualPageOutput::placeOrigin(QPainter& painter, Orientation orientation) const {
    PageSize margin = m_paper.margin(orientation);
    painter.resetTransform();
    painter.translate(margin.width, margin.height);
}

} // namespace marlet
