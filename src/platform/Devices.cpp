#include "Devices.h"

#include "HeadlessGui.h"
#include "PngPagesOutput.h"
#include "QtPageDevice.h"
#include "SystemPrinterOutput.h"

namespace marlet {

std::unique_ptr<PageDevice> makePngPagesDevice(const std::string& path, const VirtualPaper& paper) {
    ensureGuiApplication();
    return std::make_unique<QtPageDevice>(std::make_unique<PngPagesOutput>(path, paper));
}

std::unique_ptr<PageDevice> makeSystemPrinterDevice(const std::string& name) {
    ensureGuiApplication();
    return std::make_unique<QtPageDevice>(std::make_unique<SystemPrinterOutput>(name));
}

bool systemPrinterAvailable() {
    ensureGuiApplication();
    return SystemPrinterOutput::defaultAvailable();
}

} // namespace marlet
