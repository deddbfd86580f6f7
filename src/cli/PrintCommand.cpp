#include "PrintCommand.h"

#include "DataFolder.h"
#include "PrintOptions.h"
#include "PrintRun.h"
#include "ProgramMain.h"
#include "ProgressPipe.h"
#include "TerminalProgress.h"
#include "base/ProgramFolder.h"
#include "base/UnfinishedFiles.h"
#include "devices/OutputFile.h"
#include "devices/SystemPrinterCatalog.h"
#include "pdf/FontLocator.h"
#include "pdf/PdfPageDevice.h"
#include "render/PageImages.h"
#include "render/PageWatchDevice.h"
#include "render/TraceDevice.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <unistd.h>

namespace marlet {

namespace {

namespace fs = std::filesystem;

// SIGUSR1 asks the job to stop before its next page: the resident app's "cancel". SIGUSR2
// lets a job that waits at the page limit go on.
std::atomic<bool> stopAsked{false};
std::atomic<bool> goOnAsked{false};

void askStop(int) {
    stopAsked.store(true);
}

void askGoOn(int) {
    goOnAsked.store(true);
}

void catchStop() {
    struct sigaction action {};
    action.sa_handler = askStop;
    sigaction(SIGUSR1, &action, nullptr);
    struct sigaction goOn {};
    goOn.sa_handler = askGoOn;
    sigaction(SIGUSR2, &goOn, nullptr);
}

// The resident app starts the job with SIGUSR1 blocked: a cancel that came early waits until
// the program that prints the job, marlet-print or the marlet-print-qt it became, listens.
void listenForStop() {
    sigset_t cancel;
    sigemptyset(&cancel);
    sigaddset(&cancel, SIGUSR1);
    sigprocmask(SIG_UNBLOCK, &cancel, nullptr);
}

// Waits until the resident app answers at the page limit: true to go on. The signal may
// reach any of the job's threads (the PDF writer has its own), so the answer is looked for
// rather than slept for with sigsuspend, which only another signal to this thread ends.
bool waitForAnswer() {
    while (!stopAsked.load() && !goOnAsked.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return goOnAsked.exchange(false) && !stopAsked.load();
}

void printGeometry(const Application& app) {
    const PageGeometry& g = app.geometry();
    std::printf("origin=%d,%d cell=%ux%u line=%u chars=%d lines=%d monospace=%d\n", g.OriginX,
                g.OriginY, g.CellWidth, g.FontHeight, g.LineHeight, app.figures().charsPerLine,
                app.figures().linesPerPage, app.figures().monospace ? 1 : 0);
}

// Earlier output under the name of this job's: the file, or every numbered PNG page.
void removeEarlierOutput(const std::string& path) {
    std::error_code error;
    if (!outputFileUsesQt(path)) {
        fs::remove(path, error);
        return;
    }
    // "out.png" numbers its pages "out-1.png", "out-2.png", …: the name around the number.
    const std::string numbered = pageImageFileName(path, 0);
    const std::size_t zero = numbered.rfind("-0") + 1;
    const std::string before = numbered.substr(0, zero), after = numbered.substr(zero + 1);
    fs::path folder = fs::path(path).parent_path();
    std::vector<fs::path> pages;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().string();
        if (name.size() <= before.size() + after.size() || !name.starts_with(before) ||
            !name.ends_with(after))
            continue;
        const std::string number =
            name.substr(before.size(), name.size() - before.size() - after.size());
        if (number.find_first_not_of("0123456789") == std::string::npos)
            pages.push_back(it->path());
    }
    for (const fs::path& page : pages)
        fs::remove(page, error);
}

int print(PrintOptions& options, int& argc, char** argv, const StartQt& startQt) {
    // The geometry is measured on the PDF printer's sheet; -o names a file; the rest goes
    // to a printer of the catalog.
    std::optional<ProgressPipe> pipe;
    if (options.progressFd)
        pipe.emplace(*options.progressFd);
    // The resident app that runs the job names the PDF to its user; a terminal user is told.
    auto pdfWritten = [&pipe](const std::string& path) {
        if (pipe)
            pipe->fileWritten(path);
        else
            tellUser("the PDF printer wrote " + path);
    };
    std::optional<SystemPrinterCatalog> catalog;
    bool usesQt = false;
    if (options.output)
        usesQt = outputFileUsesQt(*options.output);
    else if (!options.geometry)
        // The PDF printer is Marlet's own on every host: a job for it never waits for Qt.
        usesQt = catalog.emplace(options.paper, pdfWritten).usesQtPrinters() &&
                 options.printer != SystemPrinterCatalog::PdfPrinterName;
    // Before anything is read or changed: a build without Qt starts the one with it from
    // the same command line.
    std::shared_ptr<QtDevices> qt;
    if (usesQt) {
        qt = startQt(argc, argv);
        if (catalog)
            catalog->setQtDevices(qt.get());
    }
    listenForStop();

    enterDataFolder(options.dataDir,
                    {&options.file, &options.output, &options.trace, &options.registry});
    FontLocator::setSubstitutionReport([](const std::string& asked, const std::string& used) {
        tellUser("printing in " + used + " instead of " + asked + ", which is not installed");
    });

    std::unique_ptr<PageDevice> printer;
    if (options.geometry)
        printer = std::make_unique<PdfPageDevice>(options.paper,
                                                  std::make_unique<PdfFileDestination>("-"));
    else if (options.output)
        printer = openOutputFile(*options.output, options.paper, qt.get(), options.pictureDpi);
    else
        printer = catalog->open(options.printer ? *options.printer : catalog->defaultPrinter());

    TerminalProgress terminal(stderr);
    ProgressDisplay& progress = pipe ? static_cast<ProgressDisplay&>(*pipe) : terminal;
    PrintRun run(options, *printer, progress);
    Application& app = run.app();
    if (options.geometry) {
        printGeometry(app);
        return 0;
    }
    app.requireRoomForACell();

    std::ofstream traceFile;
    std::unique_ptr<TraceDevice> traced;
    if (options.trace) {
        traceFile.open(*options.trace, std::ios::binary);
        if (!traceFile)
            throw Error::cannotCreate(*options.trace);
        traced = std::make_unique<TraceDevice>(*printer, traceFile);
        app.setPrinter(*traced);
    }
    // Outermost, so that a stop comes before any page reaches the printer. The resident app
    // that runs the job asks its user at the page limit; anyone else has the job stopped.
    PageWatchDevice::LimitReached askAtLimit;
    if (pipe)
        askAtLimit = [&pipe](int pages) {
            pipe->pageLimitReached(pages);
            return waitForAnswer();
        };
    PageWatchDevice watched(
        app.printer(), app.settings().PageLimit, stopAsked,
        [&pipe](int page) {
            if (pipe)
                pipe->pageStarted(page);
        },
        askAtLimit);
    app.setPrinter(watched);
    // PNG pages are written one by one, so earlier ones go first; a PDF replaces the
    // earlier file only once it is whole.
    const bool toFile = options.output && *options.output != "-";
    if (toFile && outputFileUsesQt(*options.output))
        removeEarlierOutput(*options.output);

    try {
        // No file is written for a job that prints nothing, and an earlier one must not
        // pass for this job's output.
        if (!run.print() && toFile)
            removeEarlierOutput(*options.output);
    } catch (const JobStopped& stopped) {
        // The pages before the stop are whole: a PDF or PNG file keeps them, a printer's job
        // is cancelled rather than printed.
        app.printer().cancel();
        tellUser(stopped.what());
        return JobStopped::ExitStatus;
    }
    return 0;
}

} // namespace

StartQt startQtBeside() {
    return [](int&, char** arguments) -> std::shared_ptr<QtDevices> {
        const std::string qtBuild = (programFolder() / "marlet-print-qt").string();
        execv(qtBuild.c_str(), arguments);
        throw Error("Cannot run " + qtBuild + ", which prints PNG pages and on Qt's printers");
    };
}

int runPrintCommand(int argc, char** argv, const StartQt& startQt) {
    // A job stopped by the user or the resident app leaves no hidden part file behind.
    UnfinishedFiles::removeOnStopSignals();
    catchStop();
    return runProgram<PrintOptions>(
        {"marlet-print", printUsage()}, argc, argv,
        [&](PrintOptions& options) { return print(options, argc, argv, startQt); });
}

} // namespace marlet
