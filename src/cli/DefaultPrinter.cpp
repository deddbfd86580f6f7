#include "DefaultPrinter.h"

#include "cups/CupsDestination.h"
#include "pdf/PdfPageDevice.h"
#include "platform/Devices.h"

namespace marlet {

std::unique_ptr<PageDevice> openDefaultPrinter(const VirtualPaper& paper) {
    if (CupsQueue::serverAvailable()) {
        if (!CupsQueue::defaultName().empty()) {
            CupsQueue queue = CupsQueue::defaultQueue();
            VirtualPaper queuePaper = queue.paper();
            return std::make_unique<PdfPageDevice>(
                queuePaper, std::make_unique<CupsDestination>(std::move(queue)));
        }
    } else if (systemPrinterAvailable()) {
        return makeSystemPrinterDevice("");
    }
    return std::make_unique<PdfPageDevice>(
        paper, std::make_unique<PdfFolderDestination>(PdfFolderDestination::defaultFolder()));
}

} // namespace marlet
