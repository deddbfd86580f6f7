#include "SystemPrinterOutput.h"

#include "base/Error.h"

#include <QPageLayout>
#include <QPrinterInfo>

namespace marlet {

namespace {

QPageLayout::Orientation qtOrientation(Orientation orientation) {
    return orientation == Orientation::Portrait ? QPageLayout::Portrait : QPageLayout::Landscape;
}

} // namespace

SystemPrinterOutput::SystemPrinterOutput(const std::string& name)
    : m_printer(QPrinter::HighResolution) {
    QString queue = QString::fromStdString(name);
    if (queue.isEmpty()) {
        queue = QPrinterInfo::defaultPrinterName();
        if (queue.isEmpty())
            throw Error("There is no default printer currently selected");
    } else if (QPrinterInfo::printerInfo(queue).isNull()) {
        throw Error("Printer selected is not valid");
    }
    m_printer.setPrinterName(queue);
    m_printer.setFullPage(false);
}

bool SystemPrinterOutput::defaultAvailable() {
    return !QPrinterInfo::defaultPrinterName().isEmpty();
}

PageSize SystemPrinterOutput::pageSize(Orientation orientation) const {
    // physicalDpi is not the driver's resolution on Qt's printers: resolution() is.
    QPageLayout layout = m_printer.pageLayout();
    layout.setOrientation(qtOrientation(orientation));
    QRect printable = layout.paintRectPixels(m_printer.resolution());
    return {printable.width(), printable.height()};
}

PhysicalPage SystemPrinterOutput::physicalPage() const {
    QPageLayout layout = m_printer.pageLayout();
    layout.setOrientation(QPageLayout::Portrait);
    QRect sheet = layout.fullRectPixels(m_printer.resolution());
    QRect printable = layout.paintRectPixels(m_printer.resolution());
    return {sheet.width(), sheet.height(), printable.x(), printable.y()};
}

QPainter& SystemPrinterOutput::beginDocument(const std::string& title, Orientation orientation) {
    m_printer.setPageOrientation(qtOrientation(orientation));
    m_printer.setDocName(QString::fromStdString(title));
    if (!m_painter.begin(&m_printer))
        throw Error("Cannot print to " + m_printer.printerName().toStdString());
    return m_painter;
}

QPainter& SystemPrinterOutput::newPage() {
    if (!m_printer.newPage())
        throw Error("Cannot print to " + m_printer.printerName().toStdString());
    return m_painter;
}

void SystemPrinterOutput::endDocument() {
    m_painter.end();
}

void SystemPrinterOutput::cancel() {
    // The painter is ended either way: an aborted print run then sends nothing.
    m_printer.abort();
    m_painter.end();
}

} // namespace marlet
