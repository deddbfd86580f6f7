#include "PdfFileOutput.h"

#include "base/Error.h"

#include <cstdio>

namespace marlet {

namespace {

bool toStandardOutput(const std::string& path) {
    return path == "-";
}

} // namespace

PdfFileOutput::PdfFileOutput(const std::string& path, const VirtualPaper& paper)
    : VirtualPageOutput(paper), m_path(path) {
}

PdfFileOutput::~PdfFileOutput() {
    if (!m_writer)
        return;
    m_painter.end();
    if (toStandardOutput(m_path)) {
        const QByteArray& pdf = m_buffer.data();
        std::fwrite(pdf.constData(), 1, static_cast<std::size_t>(pdf.size()), stdout);
        std::fflush(stdout);
    }
}

void PdfFileOutput::open(const std::string& title, Orientation orientation) {
    // Standard output may be a pipe, which the writer cannot seek: the PDF waits in memory.
    if (toStandardOutput(m_path)) {
        m_buffer.open(QIODevice::WriteOnly);
        m_writer = std::make_unique<QPdfWriter>(&m_buffer);
    } else {
        m_writer = std::make_unique<QPdfWriter>(QString::fromStdString(m_path));
    }
    m_writer->setResolution(paper().dpi);
    m_writer->setPageLayout(pdfPageLayout(orientation));
    m_writer->setTitle(QString::fromStdString(title));
    m_writer->setCreator(QStringLiteral("Marlet"));
    if (!m_painter.begin(m_writer.get())) {
        m_writer.reset();
        throw Error("Cannot create file " + m_path);
    }
}

QPainter& PdfFileOutput::beginDocument(const std::string& title, Orientation orientation) {
    m_orientation = orientation;
    if (!m_writer) {
        open(title, orientation);
    } else {
        // A later document continues the same file on a page of its own orientation.
        m_writer->setPageLayout(pdfPageLayout(orientation));
        m_writer->newPage();
    }
    placeOrigin(m_painter, orientation);
    return m_painter;
}

QPainter& PdfFileOutput::newPage() {
    m_writer->newPage();
    placeOrigin(m_painter, m_orientation);
    return m_painter;
}

void PdfFileOutput::endDocument() {
    // The page stays open until the next document or the end of the job, as the file does.
}

} // namespace marlet
