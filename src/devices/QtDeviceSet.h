#pragma once

#include "QtDevices.h"

namespace marlet {

/// Qt's devices, for a program that has made its QGuiApplication.
class QtDeviceSet final : public QtDevices {
public:
    /// Fails unless the program's QGuiApplication exists.
    QtDeviceSet();

    std::unique_ptr<PageDevice> openPngPages(const std::string& path, const VirtualPaper& paper,
                                             std::optional<int> pictureDpi) override;
    std::vector<std::string> printerNames() override;
    std::string defaultPrinterName() override;
    std::unique_ptr<PageDevice> openPrinter(const std::string& name) override;
};

} // namespace marlet
