// marlet: the resident app. The desktop face with its settings window comes later; for now
// it runs headless, capturing DOS printer output and printing every finished job.

#include "DataFolder.h"
#include "HeadlessResident.h"
#include "ProgramMain.h"
#include "config/SqliteSettingsStore.h"
#include "devices/SystemPrinterCatalog.h"
#include "platform/GuiEnvironment.h"

#include <QGuiApplication>

#include <csignal>
#include <optional>

using namespace marlet;

namespace {

const char* const Usage =
    "Usage: marlet --headless [--data-dir DIR] [--registry PATH]\n"
    "Runs Marlet resident without a window: captures DOS printer output and prints each\n"
    "finished job on the default printer, or into ~/PDF when there is none.\n"
    "The settings window comes with the desktop app.\n";

struct ResidentOptions {
    bool headless = false;
    bool help = false;
    std::optional<std::string> dataDir;
    std::optional<std::string> registry;

    static ResidentOptions parse(const std::vector<std::string>& arguments) {
        ResidentOptions options;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const std::string& argument = arguments[i];
            bool hasValue = i + 1 < arguments.size();
            if (argument == "--headless")
                options.headless = true;
            else if (argument == "-h" || argument == "--help")
                options.help = true;
            else if (argument == "--data-dir" && hasValue)
                options.dataDir = arguments[++i];
            else if (argument == "--registry" && hasValue)
                options.registry = arguments[++i];
            else
                throw UsageError("unknown option '" + argument + "'");
        }
        if (!options.headless && !options.help)
            throw UsageError("only --headless is there yet");
        return options;
    }
};

void onStopSignal(int) {
    HeadlessResident::stop();
}

int runHeadless(ResidentOptions& options, int& argc, char** argv) {
    std::optional<std::string> registry =
        options.registry.value_or(SqliteSettingsStore::userPath());
    enterDataFolder(options.dataDir, {&registry});

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SystemPrinterCatalog catalog;
    std::optional<QGuiApplication> gui;
    if (catalog.usesQtPrinters()) {
        prepareGuiEnvironment();
        gui.emplace(argc, argv);
    }
    SqliteSettingsStore store(*registry);
    HeadlessResident host;
    ResidentSession session(catalog, store, host);
    session.startUp();
    host.run(session);
    // As at exit: the driver writes what it holds, then the settings are written once.
    session.shutdown();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return runProgram<ResidentOptions>(
        {"marlet", Usage}, argc, argv,
        [&](ResidentOptions& options) { return runHeadless(options, argc, argv); });
}
