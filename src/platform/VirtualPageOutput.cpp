#include "VirtualPageOutput.h"

#include <QMarginsF>
#include <QPageSize>
#include <QPainter>

namespace marlet {

void VirtualPageOutput::placeOrigin(QPainter& painter, Orientation orientation) const {
    PageSize margin = m_paper.margin(orientation);
    painter.resetTransform();
    painter.translate(margin.width, margin.height);
}

QPageLayout VirtualPageOutput::pdfPageLayout(Orientation orientation) const {
    // The writer knows sizes in points only; a sheet within a few points of a standard size
    // (A4 at 600 dpi is 4960 x 7016 pixels, Qt's A4 4958 x 7017) takes that size.
    double inchesWide = static_cast<double>(m_paper.width) / m_paper.dpi;
    double inchesHigh = static_cast<double>(m_paper.height) / m_paper.dpi;
    QPageSize size(QSizeF(inchesWide, inchesHigh), QPageSize::Inch, QString(),
                   QPageSize::FuzzyMatch);
    return QPageLayout(
        size, orientation == Orientation::Portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
        QMarginsF(0, 0, 0, 0));
}

} // namespace marlet
