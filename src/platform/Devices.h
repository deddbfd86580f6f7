#pragma once

#include "render/VirtualPaper.h"
#include "render/PageDevice.h"

#include <memory>
#include <string>

namespace marlet {

/// Every page of the job in one PDF file ("-": standard output), finished when the device
/// is destroyed.
std::unique_ptr<PageDevice> makePdfFileDevice(const std::string& path, const VirtualPaper& paper);

/// The "PDF printer": each document a PDF of its own in ~/PDF or $MARLET_PDF_DIR.
std::unique_ptr<PageDevice> makePdfPrinterDevice(const VirtualPaper& paper);

/// One PNG image per page, PATH with -1, -2, ... before the extension.
std::unique_ptr<PageDevice> makePngPagesDevice(const std::string& path, const VirtualPaper& paper);

/// A system printer queue by name; the default printer when the name is empty.
std::unique_ptr<PageDevice> makeSystemPrinterDevice(const std::string& name);

/// Whether a default system printer exists.
bool systemPrinterAvailable();

} // namespace marlet
