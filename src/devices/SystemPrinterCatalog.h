#pragma once

#include "PrinterCatalog.h"
#include "QtDevices.h"
#include "pdf/PdfDestination.h"
#include "render/VirtualPaper.h"

namespace marlet {

/// The printers of this host: the CUPS queues, each printed with Marlet's own PDF laid out
/// for its resolution and printable area; Qt's printers on hosts without a CUPS server; and
/// the PDF printer, which makes every document a PDF in ~/PDF (or $MARLET_PDF_DIR), when
/// there is no printer to print on.
class SystemPrinterCatalog final : public PrinterCatalog {
public:
    /// The name under which the PDF printer is listed.
    static constexpr const char* PdfPrinterName = "PDF printer";

    /// pdfPaper is the sheet the PDF printer lays its pages out on; pdfWritten hears where
    /// each of its files went. Whether a CUPS server answers is asked once, here.
    explicit SystemPrinterCatalog(VirtualPaper pdfPaper = {},
                                  PdfFolderDestination::FileWritten pdfWritten = {});

    std::vector<std::string> printers() const override;
    std::string defaultPrinter() const override;
    std::vector<std::string> fontFamilies(const std::string& printer) const override;
    std::unique_ptr<PageDevice> open(const std::string& printer) const override;

    /// Whether printing goes through Qt's printers: only on hosts without a CUPS server.
    bool usesQtPrinters() const { return !m_cupsServer; }

    /// Gives the catalog the program's Qt devices, which it must have where no CUPS server
    /// answers; a program makes them once it knows it needs them.
    void setQtDevices(QtDevices* qt) { m_qt = qt; }

private:
    QtDevices& qt() const;

    VirtualPaper m_pdfPaper;
    PdfFolderDestination::FileWritten m_pdfWritten;
    QtDevices* m_qt = nullptr;
    bool m_cupsServer;
};

} // namespace marlet
