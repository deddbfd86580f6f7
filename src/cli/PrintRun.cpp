#include "PrintRun.h"

#include "ProgramMain.h"
#include "SpooledInput.h"
#include "base/Error.h"
#include "config/SqliteSettingsStore.h"

#include <filesystem>
#include <optional>

namespace marlet {

// Printing never writes settings, so a store that does not exist yet is not created.
std::unique_ptr<SettingsStore> openSettingsForReading(const std::optional<std::string>& registry) {
    std::string path = registry.value_or(SqliteSettingsStore::userPath());
    if (!std::filesystem::exists(path)) {
        if (registry)
            throw Error::cannotOpen(path);
        return std::make_unique<SqliteSettingsStore>(":memory:");
    }
    return std::make_unique<SqliteSettingsStore>(path, SqliteSettingsStore::Access::ReadOnly);
}

PrintRun::PrintRun(const PrintOptions& options, PageDevice& printer, ProgressDisplay& progress)
    : m_options(options), m_store(openSettingsForReading(options.registry)),
      m_app(printer, progress, *m_store, [](const std::string& message) { tellUser(message); }) {
    m_app.setOverrides(options.overrides);
    m_app.startUp();
    // The grid the job will have: its cell, not the start-up one.
    m_app.measureJob();
}

bool PrintRun::print(int copies) {
    // Standard input is read once, whatever the number of copies.
    std::optional<SpooledInput> input;
    std::string path;
    if (m_options.file == "-")
        path = input.emplace().path();
    else
        path = m_options.file.value_or(m_app.settings().Spool);
    bool printed = false;
    for (int copy = 0; copy < copies; ++copy)
        printed = m_app.printFile(path) || printed;
    m_app.printer().close();
    if (!printed)
        tellUser("nothing to print");
    return printed;
}

} // namespace marlet
