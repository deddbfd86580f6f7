// marlet: the resident app. The desktop face with its settings window comes later; for now
// it runs headless, capturing DOS printer output and printing every finished job.

#include "DefaultPrinter.h"
#include "ResidentMode.h"
#include "TerminalProgress.h"
#include "base/Error.h"
#include "config/SqliteSettingsStore.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>

using namespace marlet;

namespace {

namespace fs = std::filesystem;

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
};

std::optional<ResidentOptions> parse(int argc, char** argv) {
    ResidentOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--headless")
            options.headless = true;
        else if (argument == "-h" || argument == "--help")
            options.help = true;
        else if (argument == "--data-dir" && i + 1 < argc)
            options.dataDir = argv[++i];
        else if (argument == "--registry" && i + 1 < argc)
            options.registry = argv[++i];
        else
            return std::nullopt;
    }
    return options;
}

void onStopSignal(int) {
    ResidentMode::stop();
}

int run(const ResidentOptions& options) {
    // Paths from the user are relative to where the command was typed, before --data-dir
    // moves the working folder to the data files.
    std::string registry =
        fs::absolute(options.registry ? *options.registry : SqliteSettingsStore::userPath())
            .string();
    for (const char* name : {"MARLET_PDF_DIR", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(name);
        if (value && *value && fs::path(value).is_relative())
            setenv(name, fs::absolute(value).c_str(), 1);
    }
    if (options.dataDir) {
        std::error_code error;
        fs::current_path(*options.dataDir, error);
        if (error)
            throw Error("Cannot open folder " + *options.dataDir);
    }

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<PageDevice> printer = openDefaultPrinter(VirtualPaper{});
    SqliteSettingsStore store(registry);
    TerminalProgress progress(stderr);
    Application app(*printer, progress, store, [](const std::string& message) {
        std::fprintf(stderr, "%s\n", message.c_str());
    });
    app.startUp();
    ResidentMode resident(app);
    resident.run();
    printer->close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::optional<ResidentOptions> options = parse(argc, argv);
    if (options && options->help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (!options || !options->headless) {
        std::fputs(Usage, stderr);
        return 2;
    }
    try {
        return run(*options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
