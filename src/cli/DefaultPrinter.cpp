#include "DefaultPrinter.h"

#include "cups/CupsDestination.h"
#include "pdf/PdfPageDevice.h"
#include "platform/Devices.h"

namespace marlet {

namespace {

std::unique_ptr<PageDevice> deviceFor(CupsQueue queue) {
    VirtualPaper paper = queue.paper();
    return std::make_unique<PdfPageDevice>(paper,
                                           std::make_unique<CupsDestination>(std::move(queue)));
}

} // namespace

std::unique_ptr<PageDevice> openCupsQueue(const std::string& name) {
    return deviceFor(CupsQueue(name));
}

std::unique_ptr<PageDevice> openDefaultPrinter(const VirtualPaper& paper) {
    if (CupsQueue::serverAvailable()) {
        if (!CupsQueue::defaultName().empty())
            return deviceFor(CupsQueue::defaultQueue());
    } else if (systemPrinterAvailable()) {
        return makeSystemPrinterDevice("");
    }
    return std::make_unique<PdfPageDevice>(
        paper, std::make_unique<PdfFolderDestination>(PdfFolderDestination::defaultFolder()));
}

} // namespace marlet
