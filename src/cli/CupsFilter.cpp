#include "CupsFilter.h"

#include "CupsFilterArguments.h"
#include "CupsFilterConfiguration.h"
#include "CupsJobOptions.h"
#include "DataFolder.h"
#include "PrintOptions.h"
#include "PrintRun.h"
#include "ProgramMain.h"
#include "TerminalProgress.h"
#include "base/Error.h"
#include "base/UnfinishedFiles.h"
#include "pdf/FontLocator.h"
#include "pdf/PdfDestination.h"
#include "pdf/PdfPageDevice.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace marlet {

namespace {

// The exit statuses CUPS tells apart for a filter: the job printed, or it failed (the
// job stops, the queue goes on with the next one).
constexpr int FilterOk = 0;
constexpr int FilterFailed = 1;

// marlet-print's options for this job: the system store, the data folder, the queue's and
// the job's choices, the PDF on standard output.
PrintOptions printOptions(const CupsFilterArguments& job,
                          const CupsFilterConfiguration& configuration) {
    CupsJobOptions choices;
    // CUPS names the queue's PPD in the environment; a filter run by hand may have none.
    if (const char* ppd = std::getenv("PPD"); ppd && *ppd) {
        std::ifstream file(ppd);
        if (!file)
            throw Error::cannotOpen(ppd);
        choices.readPpdDefaults(file);
    }
    choices.take(job.options);
    std::vector<std::string> arguments{"--registry", configuration.registry, "-o", "-"};
    if (configuration.dataDir)
        arguments.insert(arguments.end(), {"--data-dir", *configuration.dataDir});
    for (const std::string& argument : choices.printArguments())
        arguments.push_back(argument);
    arguments.push_back(job.file.value_or("-"));
    return PrintOptions::parse(arguments);
}

int filter(const std::vector<std::string>& arguments) {
    const CupsFilterArguments job = CupsFilterArguments::parse(arguments);
    const CupsFilterConfiguration configuration =
        CupsFilterConfiguration::read(CupsFilterConfiguration::path());
    PrintOptions options = printOptions(job, configuration);
    enterDataFolder(options.dataDir, {&options.file, &options.registry});
    FontLocator::setSubstitutionReport([](const std::string& asked, const std::string& used) {
        tellUser("printing in " + used + " instead of " + asked + ", which is not installed");
    });

    PdfPageDevice printer(options.paper, std::make_unique<PdfFileDestination>("-"));
    TerminalProgress progress(stderr);
    PrintRun run(options, printer, progress);
    run.app().requireRoomForACell();
    run.print(job.copies);
    // The server's page log counts what the job put on paper.
    std::fprintf(stderr, "PAGE: total %d\n", printer.pagesStarted());
    return FilterOk;
}

} // namespace

int runCupsFilter(int argc, char** argv) {
    // A job that CUPS cancels leaves no spooled copy of its standard input behind.
    UnfinishedFiles::removeOnStopSignals();
    setUserMessagePrefix("INFO: ");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        if (answerVersion({"marlet-cups-filter", ""}, arguments))
            return FilterOk;
        return filter(arguments);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ERROR: %s\n", e.what());
    }
    return FilterFailed;
}

} // namespace marlet
