#include "PdfPrinterOutput.h"

#include "base/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdlib>

namespace marlet {

PdfPrinterOutput::PdfPrinterOutput(const VirtualPaper& paper) : VirtualPageOutput(paper) {
}

std::string PdfPrinterOutput::folder() {
    if (const char* chosen = std::getenv("MARLET_PDF_DIR"); chosen && *chosen)
        return chosen;
    return (QDir::homePath() + QStringLiteral("/PDF")).toStdString();
}

std::string PdfPrinterOutput::freeFileName(const std::string& folder, const std::string& title,
                                           const QDateTime& started) {
    // A title may hold a slash, which a file name cannot.
    QString name = QString::fromStdString(title).replace(QLatin1Char('/'), QLatin1Char('-'));
    QString stem = QDir(QString::fromStdString(folder))
                       .filePath(name + QLatin1Char(' ') +
                                 started.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")));
    QString candidate = stem + QStringLiteral(".pdf");
    for (int copy = 2; QFileInfo::exists(candidate); ++copy)
        candidate = stem + QStringLiteral(" (%1).pdf").arg(copy);
    return candidate.toStdString();
}

QPainter& PdfPrinterOutput::beginDocument(const std::string& title, Orientation orientation) {
    std::string directory = folder();
    if (!QDir().mkpath(QString::fromStdString(directory)))
        throw Error("Cannot create folder " + directory);
    std::string path = freeFileName(directory, title, QDateTime::currentDateTime());

    m_writer = std::make_unique<QPdfWriter>(QString::fromStdString(path));
    m_writer->setResolution(paper().dpi);
    m_writer->setPageLayout(pdfPageLayout(orientation));
    m_writer->setTitle(QString::fromStdString(title));
    m_writer->setCreator(QStringLiteral("Marlet"));
    if (!m_painter.begin(m_writer.get())) {
        m_writer.reset();
        throw Error("Cannot create file " + path);
    }
    m_orientation = orientation;
    placeOrigin(m_painter, orientation);
    return m_painter;
}

QPainter& PdfPrinterOutput::newPage() {
    m_writer->newPage();
    placeOrigin(m_painter, m_orientation);
    return m_painter;
}

void PdfPrinterOutput::endDocument() {
    m_painter.end();
    m_writer.reset();
}

} // namespace marlet
