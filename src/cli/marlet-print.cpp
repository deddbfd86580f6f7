// marlet-print: prints one DOS printer stream on a printer, into a PDF or as PNG pages.

#include "DataFolder.h"
#include "PrintOptions.h"
#include "ProgramMain.h"
#include "SpooledInput.h"
#include "TerminalProgress.h"
#include "config/SqliteSettingsStore.h"
#include "devices/OutputFile.h"
#include "devices/SystemPrinterCatalog.h"
#include "pdf/PdfPageDevice.h"
#include "platform/GuiEnvironment.h"
#include "render/TraceDevice.h"

#include <QGuiApplication>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace marlet;

namespace {

namespace fs = std::filesystem;

// The user's settings; a store that does not exist yet reads as empty and is not created,
// since printing never writes settings.
std::unique_ptr<SettingsStore> openStore(const PrintOptions& options) {
    std::string path = options.registry ? *options.registry : SqliteSettingsStore::userPath();
    if (!fs::exists(path))
        return std::make_unique<SqliteSettingsStore>(":memory:");
    return std::make_unique<SqliteSettingsStore>(path, SqliteSettingsStore::Access::ReadOnly);
}

void printGeometry(const Application& app) {
    const PageGeometry& g = app.geometry();
    std::printf("origin=%d,%d cell=%ux%u line=%u chars=%d lines=%d monospace=%d\n", g.OriginX,
                g.OriginY, g.CellWidth, g.FontHeight, g.LineHeight, app.figures().charsPerLine,
                app.figures().linesPerPage, app.figures().monospace ? 1 : 0);
}

int print(PrintOptions& options, int& argc, char** argv) {
    enterDataFolder(options.dataDir,
                    {&options.file, &options.output, &options.trace, &options.registry});

    // The geometry is measured on the PDF printer's sheet; -o names a file; the rest goes
    // to a printer of the catalog.
    std::optional<SystemPrinterCatalog> catalog;
    bool usesQt = false;
    if (options.output)
        usesQt = outputFileUsesQt(*options.output);
    else if (!options.geometry)
        usesQt = catalog.emplace(options.paper).usesQtPrinters();
    std::optional<QGuiApplication> gui;
    if (usesQt) {
        prepareGuiEnvironment();
        gui.emplace(argc, argv);
    }

    std::unique_ptr<PageDevice> printer;
    if (options.geometry)
        printer = std::make_unique<PdfPageDevice>(options.paper,
                                                  std::make_unique<PdfFileDestination>("-"));
    else if (options.output)
        printer = openOutputFile(*options.output, options.paper);
    else
        printer = catalog->open(options.printer.value_or(catalog->defaultPrinter()));

    std::ofstream traceFile;
    std::unique_ptr<TraceDevice> traced;
    PageDevice* device = printer.get();
    if (options.trace) {
        traceFile.open(*options.trace, std::ios::binary);
        if (!traceFile)
            throw Error("Cannot create file " + *options.trace);
        traced = std::make_unique<TraceDevice>(*printer, traceFile);
        device = traced.get();
    }

    std::unique_ptr<SettingsStore> store = openStore(options);
    TerminalProgress progress(stderr);
    Application app(*device, progress, *store, [](const std::string& message) {
        std::fprintf(stderr, "%s\n", message.c_str());
    });
    app.setOverrides(options.overrides);
    app.startUp();
    if (options.geometry) {
        printGeometry(app);
        return 0;
    }
    if (options.file == "-") {
        SpooledInput input;
        app.printFile(input.path());
    } else {
        app.printFile(options.file.value_or(app.settings().Spool));
    }
    device->close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return runProgram<PrintOptions>(
        {"marlet-print", printUsage()}, argc, argv,
        [&](PrintOptions& options) { return print(options, argc, argv); });
}
