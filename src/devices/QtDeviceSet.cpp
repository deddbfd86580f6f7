#include "QtDeviceSet.h"

#include "platform/GuiEnvironment.h"
#include "platform/PngPagesOutput.h"
#include "platform/QtPageDevice.h"
#include "platform/SystemPrinterOutput.h"

#include <QPrinterInfo>

namespace marlet {

QtDeviceSet::QtDeviceSet() {
    requireGuiApplication();
}

std::unique_ptr<PageDevice> QtDeviceSet::openPngPages(const std::string& path,
                                                      const VirtualPaper& paper,
                                                      std::optional<int> pictureDpi) {
    return std::make_unique<QtPageDevice>(
        std::make_unique<PngPagesOutput>(path, paper, pictureDpi));
}

std::vector<std::string> QtDeviceSet::printerNames() {
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        names.push_back(name.toStdString());
    return names;
}

std::string QtDeviceSet::defaultPrinterName() {
    return QPrinterInfo::defaultPrinterName().toStdString();
}

std::unique_ptr<PageDevice> QtDeviceSet::openPrinter(const std::string& name) {
    return std::make_unique<QtPageDevice>(std::make_unique<SystemPrinterOutput>(name));
}

} // namespace marlet
