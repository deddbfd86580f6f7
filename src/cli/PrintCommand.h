#pragma once

#include "config/SettingsStore.h"
#include "devices/QtDevices.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace marlet {

/// Makes Qt's devices for a job that needs them (PNG pages, or Qt's printers where no CUPS
/// server answers), before the job has read or changed anything; they live as long as the
/// returned pointer.
using StartQt = std::function<std::shared_ptr<QtDevices>(int& argc, char** argv)>;

/// Starts marlet-print-qt, installed beside the running program, with the same command line
/// in place of this process.
StartQt startQtBeside();

/// marlet-print: prints one DOS printer stream on a printer, into a PDF or as PNG pages.
/// Returns the exit status.
int runPrintCommand(int argc, char** argv, const StartQt& startQt);

} // namespace marlet
