#pragma once

#include "render/PageDevice.h"
#include "render/VirtualPaper.h"

#include <memory>
#include <string>

namespace marlet {

/// One PNG image per page, PATH with -1, -2, ... before the extension.
std::unique_ptr<PageDevice> makePngPagesDevice(const std::string& path, const VirtualPaper& paper);

/// A system printer queue by name; the default printer when the name is empty.
std::unique_ptr<PageDevice> makeSystemPrinterDevice(const std::string& name);

/// Whether a default system printer exists.
bool systemPrinterAvailable();

} // namespace marlet
