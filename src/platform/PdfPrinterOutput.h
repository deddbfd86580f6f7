#pragma once

#include "VirtualPageOutput.h"

#include <QPainter>
#include <QPdfWriter>

#include <memory>
#include <string>

class QDateTime;

namespace marlet {

/// The printer used when no printer is installed: each document becomes a PDF file of its
/// own in ~/PDF (or $MARLET_PDF_DIR), named after its title and the time it began.
class PdfPrinterOutput final : public VirtualPageOutput {
public:
    explicit PdfPrinterOutput(const VirtualPaper& paper);

    QPainter& beginDocument(const std::string& title, Orientation orientation) override;
    QPainter& newPage() override;
    void endDocument() override;

    /// The folder the files go to.
    static std::string folder();
    /// A file name in folder for a document begun at a time, one no earlier file has.
    static std::string freeFileName(const std::string& folder, const std::string& title,
                                    const QDateTime& started);

private:
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    Orientation m_orientation = Orientation::Portrait;
};

} // namespace marlet
