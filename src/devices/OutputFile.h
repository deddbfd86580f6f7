#pragma once

#include "QtDevices.h"
#include "render/PageDevice.h"
#include "render/VirtualPaper.h"

#include <memory>
#include <optional>
#include <string>

namespace marlet {

/// A file that collects a job's pages, laid out on paper: PATH.pdf (or "-", the PDF on
/// standard output) with every document in order, or PATH.png as one image per page,
/// PATH with -1, -2, … before the extension, drawn at pictureDpi (the paper's resolution
/// without one) by Qt's devices, which the program must then have. Any other name is
/// refused with a UsageError.
std::unique_ptr<PageDevice> openOutputFile(const std::string& path, const VirtualPaper& paper,
                                           QtDevices* qt,
                                           std::optional<int> pictureDpi = std::nullopt);

/// Whether the file's pages are drawn by Qt.
bool outputFileUsesQt(const std::string& path);

} // namespace marlet
