#pragma once

#include "render/PageDevice.h"
#include "render/VirtualPaper.h"

#include <memory>
#include <string>

namespace marlet {

/// The printer a job goes to when the user names none: the default CUPS queue, else Qt's
/// default printer on hosts without CUPS, else the PDF printer (~/PDF or $MARLET_PDF_DIR)
/// laid out on paper.
std::unique_ptr<PageDevice> openDefaultPrinter(const VirtualPaper& paper);

/// A named CUPS queue laid out with its own resolution and printable area.
std::unique_ptr<PageDevice> openCupsQueue(const std::string& name);

} // namespace marlet
