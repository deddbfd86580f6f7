// Printing on a CUPS queue: each document one job of our own PDF, checked on a server of the
// test's own whose file: queue keeps what it printed.

#include "cups/CupsDestination.h"
#include "pdf/PdfPageDevice.h"
#include "support/ChildProcess.h"
#include "support/PrivateCupsd.h"
#include "support/ShellCommand.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <sys/wait.h>

using namespace marlet;
namespace fs = std::filesystem;

namespace {

constexpr const char* Queue = "marlet-test";
// The test queue's A4 sheet at 300 dpi (2479 x 3508 pixels) in points.
constexpr const char* Portrait = "594.96 x 841.92";
constexpr const char* Landscape = "841.92 x 594.96";

std::string output(const std::string& command) {
    return marlet::testing::runShell(command).out;
}

// "W x H" of every page, as pdfinfo reads the file.
std::vector<std::string> pageSizes(const fs::path& pdf) {
    std::string info = output("pdfinfo -f 1 -l 999 '" + pdf.string() + "' 2>&1");
    std::vector<std::string> sizes;
    std::regex line(R"(Page +\d+ size: +([0-9.]+ x [0-9.]+) pts)");
    for (std::sregex_iterator match(info.begin(), info.end(), line), end; match != end; ++match)
        sizes.push_back((*match)[1]);
    return sizes;
}

// The words of every page, as pdftotext reads them back.
std::vector<std::string> pageWords(const fs::path& pdf) {
    std::string text = output("pdftotext '" + pdf.string() + "' - 2>&1");
    std::vector<std::string> pages;
    std::istringstream in(text);
    for (std::string page; std::getline(in, page, '\f');) {
        std::istringstream words(page);
        std::string joined;
        for (std::string word; words >> word;)
            joined += (joined.empty() ? "" : " ") + word;
        pages.push_back(joined);
    }
    return pages;
}

std::string pdfTitle(const fs::path& pdf) {
    std::smatch match;
    std::string info = output("pdfinfo '" + pdf.string() + "' 2>&1");
    return std::regex_search(info, match, std::regex(R"(Title: +([^\n]*))")) ? match[1].str() : "";
}

void type(PageDevice& device, int y, const std::u16string& text) {
    int x = 0;
    for (char16_t character : text) {
        device.textOut(x, y, character);
        x += 25;
    }
}

// A device on the test queue that has set two pages of a document, "first" and "second".
std::unique_ptr<PdfPageDevice> twoPagesOnTheQueue() {
    CupsQueue queue(Queue);
    const VirtualPaper paper = queue.paper();
    auto device =
        std::make_unique<PdfPageDevice>(paper, std::make_unique<CupsDestination>(std::move(queue)));
    FontRequest font;
    font.face = "Courier New";
    font.height = 50;
    font.width = 25;
    device->createFont(font);
    device->beginDocument("DOS-console task");
    type(*device, 0, u"first");
    device->newPage();
    type(*device, 0, u"second");
    return device;
}

struct Outcome {
    int status = -1;
    std::string err;
};

class CupsDestinationTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!cupsd.unavailable().empty())
            GTEST_SKIP() << cupsd.unavailable();
        cupsd.addQueue(Queue);
        cupsSetServer(cupsd.socket().c_str());
        fs::create_directories(cupsd.folder() / "home");
    }
    void TearDown() override { cupsSetServer(nullptr); }

    // marlet-print with the shipped data, a settings store of its own and only this server.
    Outcome print(const std::string& arguments, const std::string& stream) {
        const fs::path home = cupsd.folder() / "home";
        std::ofstream(home / "job.prn", std::ios::binary) << stream;
        std::string command =
            "cd '" + home.string() + "' && env -u LPDEST -u PRINTER HOME='" + home.string() +
            "' XDG_CONFIG_HOME='" + home.string() + "/config' CUPS_SERVER='" + cupsd.socket() +
            "' '" MARLET_BINARY_DIR "/marlet-print' --data-dir '" MARLET_DATA_DIR "' " + arguments +
            " job.prn 2>stderr";
        Outcome result;
        int status = std::system(command.c_str());
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(home / "stderr");
        std::ostringstream err;
        err << in.rdbuf();
        result.err = err.str();
        return result;
    }

    // A job that printed "first" and "second" on portrait pages, then turned the paper for
    // "third": two CUPS jobs of our PDF, as the queue printed them.
    void expectTurnedJob() {
        std::vector<PrivateCupsd::PrintedJob> jobs = cupsd.printHeldJobs(Queue);
        ASSERT_EQ(jobs.size(), 2u) << cupsd.log();
        for (const PrivateCupsd::PrintedJob& job : jobs) {
            EXPECT_EQ(job.title, "DOS-console task");
            EXPECT_EQ(job.format, "application/pdf");
            EXPECT_EQ(job.state, IPP_JSTATE_COMPLETED) << cupsd.log();
            EXPECT_EQ(pdfTitle(job.output), "DOS-console task");
        }
        EXPECT_EQ(pageSizes(jobs[0].output), (std::vector<std::string>{Portrait, Portrait}));
        EXPECT_EQ(pageWords(jobs[0].output), (std::vector<std::string>{"first", "second"}));
        EXPECT_EQ(pageSizes(jobs[1].output), (std::vector<std::string>{Landscape}));
        EXPECT_EQ(pageWords(jobs[1].output), (std::vector<std::string>{"third"}));
    }

    PrivateCupsd cupsd;
};

} // namespace

TEST_F(CupsDestinationTest, PrintsEachDocumentAsAJobOfItsOwn) {
    // The device calls of a job whose orientation changes after two pages.
    std::unique_ptr<PdfPageDevice> device = twoPagesOnTheQueue();
    device->endDocument();
    device->setOrientation(Orientation::Landscape);
    device->beginDocument("DOS-console task");
    type(*device, 0, u"third");
    device->endDocument();
    device->close();

    expectTurnedJob();
}

TEST_F(CupsDestinationTest, AStoppedJobIsCancelledOnTheServerAndNothingOfItPrints) {
    std::string fivePages;
    for (int page = 1; page <= 5; ++page)
        fivePages += "page " + std::to_string(page) + "\r\n\f";
    const fs::path home = cupsd.folder() / "home";
    std::string longReport;
    while (longReport.size() < 20000000)
        longReport += "Line " + std::to_string(longReport.size()) + " of a long report\r\n";
    std::ofstream(home / "long.prn", std::ios::binary) << longReport;

    struct Stop {
        const char* how;
        std::function<void(std::size_t job)> stop;
    };
    const std::vector<Stop> stops{
        {"the device is cancelled after two pages",
         [&](std::size_t) {
             // The device goes at once: it must not hand the job in after all.
             twoPagesOnTheQueue()->cancel();
         }},
        {"marlet-print goes past a page limit of 2",
         [&](std::size_t) {
             Outcome run = print("-P marlet-test --set PageLimit=2", fivePages);
             EXPECT_EQ(run.status, 3);
             EXPECT_EQ(run.err, "marlet-print: The job went past the page limit of 2 pages and "
                                "was stopped\n");
         }},
        {"marlet-print is sent SIGUSR1 while it prints",
         [&](std::size_t job) {
             marlet::testing::ChildProcess print(
                 MARLET_BINARY_DIR "/marlet-print",
                 {"--data-dir", MARLET_DATA_DIR, "-P", Queue, (home / "long.prn").string()},
                 {"HOME=" + home.string(), "XDG_CONFIG_HOME=" + (home / "config").string(),
                  "CUPS_SERVER=" + cupsd.socket()},
                 (home / "stderr").string());
             ASSERT_TRUE(marlet::testing::waitFor([&] { return cupsd.jobs(Queue).size() == job; }))
                 << cupsd.log();
             kill(print.pid(), SIGUSR1);
             EXPECT_EQ(print.wait(), 3);
             std::ifstream in(home / "stderr");
             std::string err((std::istreambuf_iterator<char>(in)), {});
             EXPECT_TRUE(err.starts_with("marlet-print: The job was cancelled after ")) << err;
         }},
    };
    for (std::size_t i = 0; i < stops.size(); ++i) {
        SCOPED_TRACE(stops[i].how);
        stops[i].stop(i + 1);
        std::vector<PrivateCupsd::PrintedJob> jobs = cupsd.jobs(Queue);
        ASSERT_EQ(jobs.size(), i + 1) << "one job each, and none after the cancel\n" << cupsd.log();
        EXPECT_EQ(jobs.back().title, "DOS-console task");
        EXPECT_EQ(jobs.back().state, IPP_JSTATE_CANCELED) << cupsd.log();
        EXPECT_TRUE(cupsd.printHeldJobs(Queue).empty()) << "no job is left to print";
        EXPECT_FALSE(fs::exists(cupsd.folder() / "out" / (std::string(Queue) + ".pdf")));
    }
}

TEST_F(CupsDestinationTest, CommandLinePrintsAJobThatTurnsThePaperAsTwoJobs) {
    // Two portrait pages, then the built-in escape set's ESC "OL" on the page that follows.
    Outcome run = print("-P marlet-test", "first\r\n\fsecond\r\n\x1BOLthird\r\n");
    ASSERT_EQ(run.status, 0) << run.err;

    expectTurnedJob();
}

TEST_F(CupsDestinationTest, CommandLineWithoutAPrinterPrintsOnTheDefaultQueue) {
    Outcome run = print("--set Orientation=1", "landscape\r\n");
    ASSERT_EQ(run.status, 0) << run.err;

    std::vector<PrivateCupsd::PrintedJob> jobs = cupsd.printHeldJobs(Queue);
    ASSERT_EQ(jobs.size(), 1u) << cupsd.log();
    EXPECT_EQ(jobs[0].title, "DOS-console task");
    EXPECT_EQ(pageSizes(jobs[0].output), (std::vector<std::string>{Landscape}));
    EXPECT_EQ(pageWords(jobs[0].output), (std::vector<std::string>{"landscape"}));
}

TEST_F(CupsDestinationTest, CommandLineRefusesAQueueTheServerDoesNotHave) {
    Outcome run = print("-P no-such-queue", "text\r\n");
    EXPECT_EQ(run.status, 1);
    // The message names the queue asked for and the queues there are.
    EXPECT_EQ(run.err, "marlet-print: Printer selected is not valid: no-such-queue (the printers "
                       "are " +
                           std::string(Queue) + ")\n");
    EXPECT_TRUE(cupsd.printHeldJobs(Queue).empty());
}
