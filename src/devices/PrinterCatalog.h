#pragma once

#include "render/PageDevice.h"

#include <memory>
#include <string>
#include <vector>

namespace marlet {

/// The printers a user can choose from, the one jobs go to when nobody chooses, the fonts
/// each can print with, and a way to open one for printing.
class PrinterCatalog {
public:
    virtual ~PrinterCatalog() = default;

    /// The names of the printers there are, in the order the host lists them.
    virtual std::vector<std::string> printers() const = 0;
    /// The printer jobs go to when the user names none.
    virtual std::string defaultPrinter() const = 0;
    /// The font families a printer can print with, sorted.
    virtual std::vector<std::string> fontFamilies(const std::string& printer) const = 0;
    /// Opens a printer by name for printing and measuring. Fails with the host's message
    /// when there is no such printer.
    virtual std::unique_ptr<PageDevice> open(const std::string& printer) const = 0;
};

} // namespace marlet
