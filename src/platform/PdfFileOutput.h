#pragma once

#include "VirtualPageOutput.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <memory>
#include <string>

namespace marlet {

/// All documents of a job as pages of one PDF file, each page in its own orientation. The
/// file is complete when the output is destroyed; "-" writes it to standard output then.
class PdfFileOutput final : public VirtualPageOutput {
public:
    /// Writes to path, or to standard output for "-"; nothing is written before the first
    /// document begins.
    PdfFileOutput(const std::string& path, const VirtualPaper& paper);
    /// Finishes the PDF.
    ~PdfFileOutput() override;

    QPainter& beginDocument(const std::string& title, Orientation orientation) override;
    QPainter& newPage() override;
    void endDocument() override;

private:
    void open(const std::string& title, Orientation orientation);

    std::string m_path;
    QBuffer m_buffer;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    Orientation m_orientation = Orientation::Portrait;
};

} // namespace marlet
