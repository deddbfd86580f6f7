#include "SystemPrinterCatalog.h"

#include "base/Error.h"
#include "cups/CupsDestination.h"
#include "pdf/FontLocator.h"
#include "pdf/PdfPageDevice.h"

#include <algorithm>
#include <stdexcept>

namespace marlet {

SystemPrinterCatalog::SystemPrinterCatalog(VirtualPaper pdfPaper,
                                           PdfFolderDestination::FileWritten pdfWritten)
    : m_pdfPaper(pdfPaper), m_pdfWritten(std::move(pdfWritten)),
      m_cupsServer(CupsQueue::serverAvailable()) {
}

QtDevices& SystemPrinterCatalog::qt() const {
    if (!m_qt)
        throw std::logic_error("Qt's printers need Qt's devices");
    return *m_qt;
}

std::vector<std::string> SystemPrinterCatalog::printers() const {
    std::vector<std::string> names = usesQtPrinters() ? qt().printerNames() : CupsQueue::names();
    if (defaultPrinter() == PdfPrinterName)
        names.push_back(PdfPrinterName);
    return names;
}

std::string SystemPrinterCatalog::defaultPrinter() const {
    std::string name = usesQtPrinters() ? qt().defaultPrinterName() : CupsQueue::defaultName();
    return name.empty() ? PdfPrinterName : name;
}

std::vector<std::string> SystemPrinterCatalog::fontFamilies(const std::string&) const {
    // Every printer prints the PDF that Marlet writes, so its fonts are the ones a PDF
    // can embed.
    return FontLocator::families();
}

std::unique_ptr<PageDevice> SystemPrinterCatalog::open(const std::string& printer) const {
    if (printer == PdfPrinterName)
        return std::make_unique<PdfPageDevice>(
            m_pdfPaper, std::make_unique<PdfFolderDestination>(
                            PdfFolderDestination::defaultFolder(), m_pdfWritten));
    std::vector<std::string> names = printers();
    if (std::ranges::find(names, printer) == names.end()) {
        std::string list;
        for (const std::string& name : names)
            list += (list.empty() ? "" : ", ") + name;
        throw Error("Printer selected is not valid: " + printer + " (the printers are " + list +
                    ")");
    }
    if (!usesQtPrinters()) {
        CupsQueue queue(printer);
        VirtualPaper paper = queue.paper();
        return std::make_unique<PdfPageDevice>(paper,
                                               std::make_unique<CupsDestination>(std::move(queue)));
    }
    return qt().openPrinter(printer);
}

} // namespace marlet
