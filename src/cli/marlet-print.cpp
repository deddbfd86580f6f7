// marlet-print: prints one DOS printer stream on a printer, into a PDF or as PNG pages.

#include "DefaultPrinter.h"
#include "PrintOptions.h"
#include "TerminalProgress.h"
#include "base/Error.h"
#include "config/SqliteSettingsStore.h"
#include "cups/CupsDestination.h"
#include "pdf/PdfPageDevice.h"
#include "platform/Devices.h"
#include "render/TraceDevice.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

using namespace marlet;

namespace {

namespace fs = std::filesystem;

// Paths on the command line are the user's, relative to where the command was typed,
// even though --data-dir moves the working folder.
void makeAbsolute(std::optional<std::string>& path) {
    if (path && *path != "-")
        *path = fs::absolute(*path).string();
}

// Folders named in the environment are the user's too.
void makeAbsoluteInEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value && *value && fs::path(value).is_relative())
        setenv(name, fs::absolute(value).c_str(), 1);
}

// A CUPS queue takes our own PDF, laid out for its resolution and printable area; Qt's
// printer serves only hosts without a CUPS server.
std::unique_ptr<PageDevice> openDevice(const PrintOptions& options) {
    if (options.printer)
        return CupsQueue::serverAvailable() ? openCupsQueue(*options.printer)
                                            : makeSystemPrinterDevice(*options.printer);
    if (options.geometry)
        return std::make_unique<PdfPageDevice>(options.paper,
                                               std::make_unique<PdfFileDestination>("-"));
    if (options.output) {
        const std::string& path = *options.output;
        if (fs::path(path).extension() == ".png")
            return makePngPagesDevice(path, options.paper);
        if (path == "-" || fs::path(path).extension() == ".pdf")
            return std::make_unique<PdfPageDevice>(options.paper,
                                                   std::make_unique<PdfFileDestination>(path));
        throw UsageError("-o writes a .pdf, .png or - (PDF on standard output), not '" + path +
                         "'");
    }
    return openDefaultPrinter(options.paper);
}

// The user's settings; a store that does not exist yet reads as empty and is not created,
// since printing never writes settings.
std::unique_ptr<SettingsStore> openStore(const PrintOptions& options) {
    std::string path = options.registry ? *options.registry : SqliteSettingsStore::userPath();
    if (!fs::exists(path))
        return std::make_unique<SqliteSettingsStore>(":memory:");
    return std::make_unique<SqliteSettingsStore>(path, SqliteSettingsStore::Access::ReadOnly);
}

/// Standard input spooled to a file of its own, removed when the job is done.
class SpooledInput {
public:
    SpooledInput() {
        // A fresh name of our own: a shared temporary folder may hold anyone's links.
        m_path = (fs::temp_directory_path() / "marlet-stdin-XXXXXX").string();
        int descriptor = mkstemp(m_path.data());
        if (descriptor < 0)
            throw Error("Cannot create file " + m_path);
        std::FILE* out = fdopen(descriptor, "wb");
        char buffer[1 << 16];
        bool written = out != nullptr;
        while (written && std::cin.read(buffer, sizeof buffer).gcount() > 0) {
            auto count = static_cast<std::size_t>(std::cin.gcount());
            written = std::fwrite(buffer, 1, count, out) == count;
        }
        if (out ? std::fclose(out) != 0 : close(descriptor) != 0)
            written = false;
        if (!written)
            throw Error("Cannot write file " + m_path);
    }
    ~SpooledInput() {
        std::error_code ignored;
        fs::remove(m_path, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

int run(PrintOptions options) {
    makeAbsolute(options.file);
    makeAbsolute(options.output);
    makeAbsolute(options.trace);
    makeAbsolute(options.registry);
    makeAbsoluteInEnvironment("MARLET_REGISTRY");
    makeAbsoluteInEnvironment("MARLET_PDF_DIR");
    if (options.dataDir) {
        std::error_code error;
        fs::current_path(*options.dataDir, error);
        if (error)
            throw Error("Cannot open folder " + *options.dataDir);
    }

    std::unique_ptr<PageDevice> printer = openDevice(options);
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
        const PageGeometry& g = app.geometry();
        std::printf("origin=%d,%d cell=%ux%u line=%u chars=%d lines=%d monospace=%d\n", g.OriginX,
                    g.OriginY, g.CellWidth, g.FontHeight, g.LineHeight, app.figures().charsPerLine,
                    app.figures().linesPerPage, app.figures().monospace ? 1 : 0);
        return 0;
    }

    std::optional<SpooledInput> spooled;
    if (options.file == "-") {
        spooled.emplace();
        app.settings().Spool = spooled->path();
    } else if (options.file) {
        app.settings().Spool = *options.file;
    }
    app.PrintOut();
    device->close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    PrintOptions options;
    try {
        options = PrintOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "marlet-print: %s\n%s", e.what(), printUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(printUsage(), stdout);
        return 0;
    }
    try {
        return run(std::move(options));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "marlet-print: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        // The message as the user would see it in the desktop app's message box.
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
