#pragma once

#include "render/PageDevice.h"
#include "render/VirtualPaper.h"

#include <memory>

namespace marlet {

/// The printer a job goes to when the user names none: the default CUPS queue, else Qt's
/// default printer on hosts without CUPS, else the PDF printer (~/PDF or $MARLET_PDF_DIR)
/// laid out on paper.
std::unique_ptr<PageDevice> openDefaultPrinter(const VirtualPaper& paper);

} // namespace marlet
