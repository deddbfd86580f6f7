// marlet: the resident app. With no option it is the desktop app (tray icon, settings
// window); with --headless it runs without a window. Either captures DOS printer output
// and prints every finished job.

#include "DataFolder.h"
#include "HeadlessResident.h"
#include "ProgramMain.h"
#include "app/ChildJobRunner.h"
#include "app/RecordingJobRunner.h"
#include "config/SqliteSettingsStore.h"
#include "devices/QtDeviceSet.h"
#include "devices/SystemPrinterCatalog.h"
#include "platform/GuiEnvironment.h"
#include "ui/DesktopApp.h"
#include "ui/SingleInstance.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

using namespace marlet;

namespace {

const char* const Usage =
    "Usage: marlet [--headless] [--data-dir DIR] [--registry PATH]\n"
    "Runs Marlet resident: captures DOS printer output and prints each finished job on the\n"
    "default printer, or into ~/PDF when there is none. Without --headless it sits in the\n"
    "notification area with its settings window; with --headless it runs without a window\n"
    "until SIGTERM or Ctrl-C.\n";

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
        return options;
    }
};

int stopPipe[2] = {-1, -1};

void onStopSignal(int) {
    HeadlessResident::stop();
    if (stopPipe[1] >= 0) {
        char byte = 0;
        [[maybe_unused]] ssize_t ignored = write(stopPipe[1], &byte, 1);
    }
}

void onCancelSignal(int) {
    ChildJobRunner::requestCancel();
}

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // SIGUSR1 (marlet-jobs cancel) stops the job that prints before its next page.
    struct sigaction cancel {};
    cancel.sa_handler = onCancelSignal;
    sigaction(SIGUSR1, &cancel, nullptr);
}

int runHeadless(const std::string& registry, int& argc, char** argv) {
    SqliteSettingsStore store(registry);
    InstanceLock lock;
    if (!lock.acquired()) {
        std::fputs("Marlet is already running\n", stderr);
        return 0;
    }
    SystemPrinterCatalog catalog;
    std::optional<QGuiApplication> gui;
    std::optional<QtDeviceSet> qt;
    if (catalog.usesQtPrinters()) {
        prepareGuiEnvironment();
        gui.emplace(argc, argv);
        catalog.setQtDevices(&qt.emplace());
    }
    HeadlessResident host;
    ChildJobRunner runner(ChildJobRunner::installedProgram(), registry);
    RecordingJobRunner recorder(runner, JobHistory(JobHistory::defaultFolder()),
                                [&host](const std::string& message) { host.reportError(message); });
    ResidentSession session(catalog, store, host, recorder);
    session.startUp();
    host.run(session);
    // As at exit: the driver writes what it holds, then the settings are written once.
    session.shutdown();
    return 0;
}

int runDesktop(const std::string& registry, int& argc, char** argv) {
    prepareGuiEnvironment();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlet"));
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        SqliteSettingsStore store(registry);
        InstanceLock lock;
        // A second start brings the first one's window to the front, silently.
        if (!lock.acquired()) {
            if (!raiseWindowsOf(lock.holder()))
                std::fputs("Marlet is already running\n", stderr);
            return 0;
        }
        QtDeviceSet qt;
        // The PDF printer's files are named to the user as they are written, by the job's
        // own process or by this one.
        DesktopApp* desktop = nullptr;
        auto pdfWritten = [&desktop](const std::string& path) {
            if (desktop)
                desktop->pdfWritten(path);
        };
        SystemPrinterCatalog catalog({}, pdfWritten);
        catalog.setQtDevices(&qt);
        ChildJobRunner runner(ChildJobRunner::installedProgram(), registry, {}, pdfWritten);
        RecordingJobRunner recorder(runner, JobHistory(JobHistory::defaultFolder()),
                                    [](const std::string& message) {
                                        std::fprintf(stderr, "marlet: %s\n", message.c_str());
                                    });
        DesktopApp app(catalog, store, recorder);
        app.setPreviewPrinter(ChildJobRunner::installedProgram(), registry);
        desktop = &app;
        app.start();
        QSocketNotifier stop(stopPipe[0], QSocketNotifier::Read);
        QObject::connect(&stop, &QSocketNotifier::activated, &app, &DesktopApp::exitNow);
        QObject::connect(&application, &QGuiApplication::commitDataRequest, &app,
                         &DesktopApp::exitNow);
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Marlet"), QString::fromUtf8(e.what()));
        throw;
    }
}

int runResident(ResidentOptions& options, int& argc, char** argv) {
    std::optional<std::string> registry =
        options.registry.value_or(SqliteSettingsStore::userPath());
    enterDataFolder(options.dataDir, {&registry});
    if (pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Error("Cannot start the resident app");
    catchStopSignals();
    return options.headless ? runHeadless(*registry, argc, argv)
                            : runDesktop(*registry, argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    return runProgram<ResidentOptions>(
        {"marlet", Usage}, argc, argv,
        [&](ResidentOptions& options) { return runResident(options, argc, argv); });
}
