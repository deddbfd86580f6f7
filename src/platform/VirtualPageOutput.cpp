#include "VirtualPageOutput.h"

#include <QPainter>

namespace marlet {

void VirtualPageOutput::placeOrigin(QPainter& painter, Orientation orientation,
                                    double scale) const {
    PageSize margin = m_paper.margin(orientation);
    painter.resetTransform();
    painter.scale(scale, scale);
    painter.translate(margin.width, margin.height);
}

} // namespace marlet
