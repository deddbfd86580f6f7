// The child that prints a resident app's job: its command line, its limits, its progress
// and what its end says, with shell scripts in the place of marlet-print.

#include "app/ChildJobRunner.h"
#include "app/Application.h"
#include "base/Error.h"
#include "config/FileBytes.h"
#include "config/RegFileReader.h"
#include "config/SettingsPersistence.h"
#include "config/SqliteSettingsStore.h"
#include "devices/SystemPrinterCatalog.h"
#include "render/JobStopped.h"
#include "support/FakeDevice.h"
#include "support/MemorySettingsStore.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <utility>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

class RecordingProgress : public ProgressDisplay {
public:
    void showFrame(int frame) override { frames.push_back(frame); }
    void restoreIcon() override { frames.push_back(-1); }

    std::vector<int> frames;
};

class ChildJobRunnerTest : public ::testing::Test {
protected:
    // A marlet-print that runs body.
    std::string script(const std::string& body) {
        std::string path = folder.file("marlet-print");
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }
    // The message the job fails with, or "" when it printed.
    std::string failure(ChildJobRunner& runner) {
        try {
            runner.print(folder.file("job.prn"), "Office", app);
        } catch (const Error& e) {
            return e.what();
        }
        return {};
    }

    TempFolder folder;
    FakeDevice printer;
    RecordingProgress progress;
    MemorySettingsStore store;
    Application app{printer, progress, store, [](const std::string&) {}};
};

} // namespace

TEST_F(ChildJobRunnerTest, TheChildPrintsWithTheLiveSettingsOnTheSessionsPrinter) {
    app.setInitString("\x1B@");
    app.setLineWrap(false);
    ChildJobRunner runner("marlet-print", "registry.db");
    const std::string here = fs::current_path().string();
    std::vector<std::string> expected{"--registry", here + "/registry.db", "--data-dir", here, "-P",
                                      "Office",     "--progress-fd",       "3"};
    for (const char* setting :
         {"Orientation=0", "LineWrap=0", "PageFeed=1", "TopMargin=0", "LeftMargin=0",
          "FontName=Courier New", "FontSize=10", "FontBold=0", "FontItalic=0", "FontUnderline=0",
          "FontStrikeout=0", "CodePage=866", "InitStr=\x1B@"}) {
        expected.push_back("--set");
        expected.push_back(setting);
    }
    expected.push_back(here + "/job.prn");
    EXPECT_EQ(runner.arguments("job.prn", "Office", app), expected);
}

TEST_F(ChildJobRunnerTest, TheChildRunsUnderItsLimitsAndItsEndBecomesTheMessage) {
    struct Case {
        std::string body;
        std::string message;
        std::vector<int> frames;
        JobLimits limits{1536ULL << 20, 60, 2};
    };
    const Case cases[] = {
        {"echo 'frame 3' >&3; echo 'frame 9' >&3; echo done >&3", "", {3, 9, -1}},
        // A count past an int is no progress line.
        {"echo 'page 9999999999' >&3; echo done >&3", "", {-1}},
        {"echo 'frame 4' >&3; kill -SEGV $$",
         "The job's printing process crashed (signal 11, Segmentation fault)",
         {4, -1}},
        {"echo 'marlet-print: printing in A instead of B' >&2\n"
         "echo 'marlet-print: Range check error' >&2; exit 1",
         "Range check error",
         {}},
        {"echo 'marlet-print: std::bad_alloc' >&2; exit 1",
         "The job needed more than 1536 MB of memory and was stopped",
         {}},
        {"exit 4", "The job's printing process ended with status 4", {}},
        {"echo 'page 1' >&3; echo 'marlet-print: The job went past the page limit of 1 page "
         "and was stopped' >&2; exit 3",
         "The job went past the page limit of 1 page and was stopped",
         {}},
        {"sleep 30", "The job did not print within 2 seconds and was stopped", {}},
        {"while :; do :; done",
         "The job took more than 1 seconds of processor time and was stopped",
         {},
         {1536ULL << 20, 1, 30}},
    };
    for (const Case& c : cases) {
        progress.frames.clear();
        ChildJobRunner runner(script(c.body), "registry.db", c.limits);
        auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(failure(runner), c.message) << c.body;
        EXPECT_EQ(progress.frames, c.frames) << c.body;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20)) << c.body;
    }

    const std::string written = folder.file("limits");
    ChildJobRunner limits(script("ulimit -v > '" + written + "'; ulimit -t >> '" + written + "'"),
                          "registry.db");
    EXPECT_EQ(failure(limits), "");
    const std::string memory =
        DefaultJobMemory > 0 ? std::to_string(DefaultJobMemory >> 10) : "unlimited";
    EXPECT_EQ(readFileBytes(written), memory + "\n60\n") << "KiB of address space, CPU seconds";

    ChildJobRunner missing(folder.file("none/marlet-print"), "registry.db");
    EXPECT_EQ(failure(missing), "Cannot run " + folder.file("none/marlet-print"));
}

TEST_F(ChildJobRunnerTest, TheFilesThePdfPrinterWroteAreNamedAsTheyComeIn) {
    std::vector<std::string> written;
    ChildJobRunner runner(script("echo 'frame 2' >&3; echo 'wrote /home/ann/PDF/a b.pdf' >&3; "
                                 "echo 'wrote /home/ann/PDF/c.pdf' >&3; echo done >&3"),
                          "registry.db", {},
                          [&written](const std::string& path) { written.push_back(path); });
    EXPECT_EQ(failure(runner), "");
    EXPECT_EQ(written, (std::vector<std::string>{"/home/ann/PDF/a b.pdf", "/home/ann/PDF/c.pdf"}));
    EXPECT_EQ(progress.frames, (std::vector<int>{2, -1}));
}

namespace {

// Answers at the page limit as told, and may stop the job once it has shown a sixteenth
// of its pages done.
class AnsweringProgress : public RecordingProgress {
public:
    explicit AnsweringProgress(bool goOn) : m_goOn(goOn) {}

    void whilePrinting() override {
        if (stopWith && std::ranges::count_if(frames, [](int frame) { return frame >= 1; }) > 0)
            std::exchange(stopWith, nullptr)->cancel();
    }
    bool goOnPastPageLimit(int pages) override {
        askedAt.push_back(pages);
        return m_goOn;
    }

    ChildJobRunner* stopWith = nullptr;
    std::vector<int> askedAt;

private:
    bool m_goOn;
};

int pdfPages(const std::string& path) {
    const std::string info = runShell("pdfinfo '" + path + "'").out;
    const std::size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

} // namespace

TEST(ChildJobRunnerJobTest, AtThePageLimitTheUserDecidesAndAStopWhilePrintingKeepsWholePages) {
    TempFolder folder;
    const fs::path previous = fs::current_path();
    fs::current_path(MARLET_DATA_DIR);
    setenv("MARLET_PDF_DIR", folder.file("pdf").c_str(), 1);
    const std::string registry = folder.file("registry.db");
    std::string text;
    for (int page = 1; page <= 2000; ++page)
        text += "Page " + std::to_string(page) + "\r\n\x0C";
    std::ofstream(folder.file("text.prn"), std::ios::binary) << text;
    // Pages with a band of 24-pin graphics each take long enough that a stop always comes
    // before the end, however busy the machine.
    std::string graphics;
    for (int page = 1; page <= 2000; ++page) {
        graphics += "Page " + std::to_string(page) + "\r\n\x1B*\x27\xA0\x05";
        for (int column = 0; column < 1440 * 3; ++column)
            graphics += static_cast<char>((column * 7 + page) % 256);
        graphics += "\r\n\x0C";
    }
    std::ofstream(folder.file("graphics.prn"), std::ios::binary) << graphics;
    {
        SqliteSettingsStore store(registry);
        RegFileReader::import(
            store, readFileBytes(MARLET_DATA_DIR "/schemes/epson-escp2-24pin.reg").value_or(""),
            "epson-escp2-24pin.reg");
        store.setValue(MarletKey, "Sequence", std::string("Epson ESC-P2 24-pin"));
    }

    struct Case {
        std::string job;
        std::uint32_t pageLimit;
        bool goOn;
        bool stopWhilePrinting;
        std::string failure;
        std::vector<int> askedAt;
    };
    const Case cases[] = {
        {"text.prn", 3, true, false, "", {3}},
        {"text.prn",
         3,
         false,
         false,
         "The job went past the page limit of 3 pages and was stopped",
         {3}},
        {"graphics.prn", 0, true, true, "", {}},
    };
    for (const Case& c : cases) {
        SqliteSettingsStore(registry).setValue(MarletKey, "PageLimit", c.pageLimit);
        fs::remove_all(folder.file("pdf"));
        FakeDevice printer;
        AnsweringProgress progress(c.goOn);
        MemorySettingsStore store;
        Application app{printer, progress, store, [](const std::string&) {}};
        ChildJobRunner runner(MARLET_BINARY_DIR "/marlet-print", registry);
        if (c.stopWhilePrinting)
            progress.stopWith = &runner;
        PrintedJob printed;
        std::string failure;
        int stoppedAfter = -1;
        try {
            printed = runner.print(folder.file(c.job), SystemPrinterCatalog::PdfPrinterName, app);
        } catch (const JobStopped& e) {
            failure = e.what();
            stoppedAfter = e.pages();
        }
        EXPECT_EQ(failure, c.failure) << c.pageLimit;
        EXPECT_EQ(progress.askedAt, c.askedAt) << c.pageLimit;
        EXPECT_EQ(printed.cancelled, c.stopWhilePrinting) << c.pageLimit;
        if (!c.failure.empty()) {
            EXPECT_EQ(stoppedAfter, 3);
            continue;
        }
        // A stopped job's PDF holds exactly the pages it started, each whole.
        EXPECT_EQ(pdfPages(printed.pdf), printed.pages) << printed.pdf;
        if (c.stopWhilePrinting) {
            EXPECT_GE(printed.pages, 1);
            EXPECT_LT(printed.pages, 2000);
        } else {
            EXPECT_EQ(printed.pages, 2000);
        }
    }
    unsetenv("MARLET_PDF_DIR");
    fs::current_path(previous);
}
