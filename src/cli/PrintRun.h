#pragma once

#include "PrintOptions.h"
#include "app/Application.h"
#include "config/SettingsStore.h"
#include "render/PageDevice.h"
#include "render/ProgressDisplay.h"

#include <memory>
#include <optional>
#include <string>

namespace marlet {

/// The user's settings for reading: the store at registry, which must exist, or the
/// user's store, read as empty (and not created) while there is none.
std::unique_ptr<SettingsStore> openSettingsForReading(const std::optional<std::string>& registry);

/// One job as marlet-print prints it, shared by marlet-print and the CUPS filter: the
/// settings store the options name (or the user's), the application brought up on a
/// printer with the options' overrides, and the job's file printed on it.
class PrintRun {
public:
    /// Opens the store and brings the application up with the grid the job will have. The
    /// data folder must already be the working folder.
    PrintRun(const PrintOptions& options, PageDevice& printer, ProgressDisplay& progress);

    /// The application the job prints with, brought up with the job's settings.
    Application& app() { return m_app; }

    /// Prints the options' file (standard input for "-", the queue file for none) copies
    /// times on the application's printer and closes it. Returns whether anything printed;
    /// says "nothing to print" when not.
    bool print(int copies = 1);

private:
    const PrintOptions& m_options;
    std::unique_ptr<SettingsStore> m_store;
    Application m_app;
};

} // namespace marlet
