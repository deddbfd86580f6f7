#pragma once

#include "render/PageDevice.h"
#include "render/VirtualPaper.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace marlet {

/// What only Qt does for a program that prints: pages as PNG images, and the host's printers
/// where no CUPS server answers. Programs that have Qt hand theirs to the catalog and to the
/// output files; marlet-print starts without Qt's libraries and hands such jobs to its Qt
/// build.
class QtDevices {
public:
    virtual ~QtDevices() = default;

    /// Pages as PNG files: PATH with -1, -2, … before the extension, drawn at pictureDpi
    /// (the paper's resolution without one).
    virtual std::unique_ptr<PageDevice> openPngPages(const std::string& path,
                                                     const VirtualPaper& paper,
                                                     std::optional<int> pictureDpi) = 0;
    /// The names of Qt's printers.
    virtual std::vector<std::string> printerNames() = 0;
    /// The default one of Qt's printers; empty when there is none.
    virtual std::string defaultPrinterName() = 0;
    /// One of Qt's printers, by name.
    virtual std::unique_ptr<PageDevice> openPrinter(const std::string& name) = 0;
};

} // namespace marlet
