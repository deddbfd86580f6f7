// marlet-jobs over the history that marlet --headless keeps, as a user runs them: jobs sent
// to the TCP printer port are listed, shown, printed again, dumped, deleted and cancelled.

#include "config/FileBytes.h"
#include "config/SettingsStore.h"
#include "config/SqliteSettingsStore.h"
#include "support/ChildProcess.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <regex>
#include <sstream>
#include <sys/stat.h>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A resident app in a folder of its own: its registry, queue, PDF folder and history.
class MarletJobsTest : public ::testing::Test {
protected:
    MarletJobsTest() {
        mkdir(folder.file("run").c_str(), 0700);
        SqliteSettingsStore store(registry);
        store.setValue(MarletKey, "TimeOut", std::uint32_t{1});
        store.setValue(MarletKey, "Spool", folder.file("queue/prnspl"));
        store.setValue(MarletKey, "Capture", std::uint32_t{1});
    }

    std::vector<std::string> environment() const {
        return {"XDG_RUNTIME_DIR=" + folder.file("run"),
                "XDG_STATE_HOME=" + folder.file("state"),
                "MARLET_PDF_DIR=" + pdfFolder,
                "HOME=" + folder.file(""),
                "CUPS_SERVER=" + folder.file("no-cupsd.socket"),
                "MARLET_CAPTURE_LISTEN=127.0.0.1:" + std::to_string(port)};
    }

    std::unique_ptr<ChildProcess> startMarlet() {
        return std::make_unique<ChildProcess>(MARLET_BINARY_DIR "/marlet",
                                              std::vector<std::string>{"--headless", "--data-dir",
                                                                       MARLET_DATA_DIR,
                                                                       "--registry", registry},
                                              environment(), folder.file("marlet.log"));
    }

    // marlet-jobs in the resident's environment.
    ShellOutput jobs(const std::string& arguments) const {
        std::string command = "env";
        for (const std::string& entry : environment())
            command += " '" + entry + "'";
        return runShell(command + " " MARLET_BINARY_DIR "/marlet-jobs --registry '" + registry +
                        "' --data-dir " MARLET_DATA_DIR " " + arguments + " 2>&1");
    }

    // The record of job number, as the resident wrote it.
    std::string record(int number) const {
        return readFileBytes(history + "/" + std::to_string(number) + ".job").value_or("");
    }

    bool recorded(int number, const std::string& status) const {
        return waitFor([&] { return record(number).find("status=" + status) != std::string::npos; },
                       std::chrono::seconds(30));
    }

    // Sends a job to the printer port, once the capture service listens.
    bool send(const std::string& job) const {
        return waitFor([&] { return sendToPort(port, job); });
    }

    std::string log() const { return readFileBytes(folder.file("marlet.log")).value_or(""); }

    TempFolder folder;
    std::string registry = folder.file("registry.db");
    std::string pdfFolder = folder.file("pdf");
    std::string history = folder.file("state/marlet/jobs");
    int port = freeLoopbackPort();
};

int pdfPages(const std::string& path) {
    std::string info = runShell("pdfinfo '" + path + "'").out;
    std::smatch pages;
    return std::regex_search(info, pages, std::regex("Pages: +([0-9]+)")) ? std::stoi(pages[1])
                                                                          : -1;
}

std::string pdfText(const std::string& path) {
    return runShell("pdftotext -layout '" + path + "' -").out;
}

// A report of that many full pages, each numbered on its first line.
std::string longReport(int pages) {
    const std::string line =
        "The long report, a line of eighty characters to fill the page with text: 0123456\r\n";
    std::string report;
    for (int page = 1; page <= pages; ++page) {
        report += "Page " + std::to_string(page) + "\r\n";
        for (int i = 0; i < 60; ++i)
            report += line;
        report += '\f';
    }
    return report;
}

} // namespace

TEST_F(MarletJobsTest, JobsAreListedShownPrintedAgainDumpedAndDeleted) {
    ASSERT_EQ(runShell(MARLET_BINARY_DIR "/marlet-reg --registry '" + registry + "' import " +
                       MARLET_DATA_DIR "/schemes/epson-escp-9pin.reg && " MARLET_BINARY_DIR
                                       "/marlet-reg --registry '" +
                       registry + "' set . Sequence 'Epson ESC-P 9-pin'")
                  .status,
              0);
    std::unique_ptr<ChildProcess> marlet = startMarlet();
    const std::string first = "First job: invoice 1452\r\n";
    // Every escape command with its parameters: reset, bold, a bit image, spacing, pitch.
    const std::string second("\x1B@\x1B"
                             "EInvoice 1453\x1B"
                             "F\r\n\x1BK\x04\x00\x18\x24\x42\x81"
                             "\r\n\x1B"
                             "3\x24Total\x1BM 12.50\r\n\x0C",
                             48);
    const std::string third = "Third job: delivery note\r\n";
    const std::string* sent[] = {&first, &second, &third};
    for (int number = 1; number <= 3; ++number) {
        ASSERT_TRUE(send(*sent[number - 1]));
        ASSERT_TRUE(
            waitFor([&] { return fs::exists(history + "/" + std::to_string(number) + ".job"); },
                    std::chrono::seconds(20)))
            << log();
    }
    ASSERT_TRUE(recorded(3, "printed")) << log();

    std::vector<std::string> listed = linesOf(jobs("list").out);
    ASSERT_EQ(listed.size(), 3u) << jobs("list").out;
    EXPECT_TRUE(std::regex_match(
        listed[1],
        std::regex("2\t20[0-9-]+ [0-9:]+\tprinted\t1 page\t48 bytes\t" + pdfFolder + "/.*\\.pdf")))
        << listed[1];

    std::string shown = jobs("show 2").out;
    EXPECT_NE(shown.find("scheme: Epson ESC-P 9-pin\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("code page: 866\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("source: " + folder.file("queue/prnspl") + "\n"), std::string::npos)
        << shown;
    const std::string secondPdf =
        shown.substr(shown.find("printed on: ") + 12,
                     shown.find(".pdf\n") + 4 - shown.find("printed on: ") - 12);

    // Printed again: the same page as the resident printed.
    ASSERT_EQ(jobs("print 2 -o '" + folder.file("again.pdf") + "'").status, 0);
    EXPECT_EQ(pdfText(folder.file("again.pdf")), pdfText(secondPdf));
    EXPECT_NE(pdfText(secondPdf).find("Invoice 1453"), std::string::npos);
    // With today's scheme: under "No sequences" the letters after ESC print.
    ASSERT_EQ(runShell(MARLET_BINARY_DIR "/marlet-reg --registry '" + registry +
                       "' set . Sequence 'No sequences'")
                  .status,
              0);
    ASSERT_EQ(jobs("print 2 -o '" + folder.file("today.pdf") + "'").status, 0);
    EXPECT_NE(pdfText(folder.file("today.pdf")).find("@EInvoice 1453F"), std::string::npos)
        << pdfText(folder.file("today.pdf"));
    EXPECT_EQ(pdfText(folder.file("again.pdf")).find("EInvoice"), std::string::npos);
    ASSERT_EQ(runShell(MARLET_BINARY_DIR "/marlet-reg --registry '" + registry +
                       "' set . Sequence 'Epson ESC-P 9-pin'")
                  .status,
              0);

    // Each escape command marked with its bytes; text and control codes beside them.
    std::vector<std::string> dump = linesOf(jobs("dump 2").out);
    std::vector<std::string> marked;
    for (const std::string& line : dump)
        if (std::size_t at = line.find("[ESC"); at != std::string::npos)
            marked.push_back(line.substr(0, 8) + " " + line.substr(at));
    EXPECT_EQ(marked, (std::vector<std::string>{
                          "00000000 [ESC @] ESC/P command ESC @",
                          "00000002 [ESC E] ESC/P command ESC E",
                          "00000010 [ESC F] ESC/P command ESC F",
                          "00000014 [ESC K] ESC/P command ESC K",
                          "0000001E [ESC 3] ESC/P command ESC 3",
                          "00000026 [ESC M] ESC/P command ESC M",
                      }))
        << jobs("dump 2").out;
    EXPECT_TRUE(std::regex_search(jobs("dump 2").out,
                                  std::regex("\n00000012  0D  +\\.  +\\[CR\\] control code: "
                                             "carriage return\n")));

    EXPECT_EQ(jobs("rm 1").status, 0);
    EXPECT_EQ(jobs("rm 1").out, "marlet-jobs: There is no job 1\n");
    EXPECT_EQ(jobs("rm 1").status, 1);
    listed = linesOf(jobs("list").out);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_TRUE(listed[0].starts_with("2\t"));
    EXPECT_EQ(marlet->terminate(), 0);
    EXPECT_EQ(log(), "");
}

TEST_F(MarletJobsTest, AResidentKilledInTheMiddleOfAJobLeavesTheListWhole) {
    std::unique_ptr<ChildProcess> marlet = startMarlet();
    const std::string report = longReport(400);
    ASSERT_TRUE(send(report));
    ASSERT_TRUE(recorded(1, "printing")) << log();
    kill(marlet->pid(), SIGKILL);
    marlet->wait();

    ShellOutput listed = jobs("list");
    EXPECT_EQ(listed.status, 0);
    ASSERT_EQ(linesOf(listed.out).size(), 1u) << listed.out;
    EXPECT_NE(listed.out.find("\tprinting\t0 pages\t" + std::to_string(report.size()) + " bytes\t"),
              std::string::npos)
        << listed.out;
    EXPECT_EQ(readFileBytes(history + "/1.prn"), report);

    // The next start prints the job again, as a job of its own; the first is marked failed.
    marlet = startMarlet();
    ASSERT_TRUE(recorded(2, "printed")) << log();
    std::vector<std::string> lines = linesOf(jobs("list").out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("\tfailed\t"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("\tprinted\t400 pages\t"), std::string::npos) << lines[1];
    EXPECT_NE(jobs("show 1").out.find("message: Marlet stopped while this job printed\n"),
              std::string::npos);
    EXPECT_EQ(marlet->terminate(), 0);
    // Nothing half-written stays in the folder.
    for (const auto& entry : fs::directory_iterator(history))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
}

TEST_F(MarletJobsTest, ACancelledJobKeepsItsWholePagesAndTheNextJobPrints) {
    std::unique_ptr<ChildProcess> marlet = startMarlet();
    ASSERT_TRUE(send(longReport(2000)));
    ASSERT_TRUE(recorded(1, "printing")) << log();
    // Mid-way: once the PDF printer has pages of it in its unfinished file.
    ASSERT_TRUE(waitFor(
        [&] {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(pdfFolder, error))
                if (entry.path().extension() == ".part" && entry.file_size(error) > 100000)
                    return true;
            return false;
        },
        std::chrono::seconds(30)));
    EXPECT_EQ(jobs("cancel").status, 0);
    ASSERT_TRUE(recorded(1, "cancelled")) << log();
    ASSERT_TRUE(send("The next job\r\n"));
    ASSERT_TRUE(recorded(2, "printed")) << log();

    std::string shown = jobs("show 1").out;
    std::smatch found;
    ASSERT_TRUE(std::regex_search(shown, found, std::regex("pages: ([0-9]+)\n")));
    const int pages = std::stoi(found[1]);
    EXPECT_GT(pages, 0);
    EXPECT_LT(pages, 2000);
    ASSERT_TRUE(std::regex_search(shown, found, std::regex("printed on: (.*\\.pdf)\n"))) << shown;
    const std::string pdf = found[1];
    EXPECT_EQ(pdfPages(pdf), pages);
    // The last page is whole: its number and all its sixty lines.
    std::string last = runShell("pdftotext -f " + std::to_string(pages) + " -l " +
                                std::to_string(pages) + " '" + pdf + "' -")
                           .out;
    EXPECT_NE(last.find("Page " + std::to_string(pages) + "\n"), std::string::npos);
    int lines = 0;
    for (std::size_t at = 0; (at = last.find("The long report", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_EQ(lines, 60) << last;
    EXPECT_EQ(marlet->terminate(), 0);
    EXPECT_EQ(log(), "") << "a cancel is not a failure";
    EXPECT_EQ(jobs("cancel").out, "marlet-jobs: No job is printing\n");
}

TEST_F(MarletJobsTest, AJobPastThePageLimitIsStoppedWithAMessageAndTheQueueGoesOn) {
    {
        SqliteSettingsStore store(registry);
        store.setValue(MarletKey, "PageLimit", std::uint32_t{3});
    }
    std::unique_ptr<ChildProcess> marlet = startMarlet();
    ASSERT_TRUE(send(longReport(10)));
    ASSERT_TRUE(recorded(1, "cancelled")) << log();
    ASSERT_TRUE(send("The next job\r\n"));
    ASSERT_TRUE(recorded(2, "printed")) << log();
    EXPECT_EQ(marlet->terminate(), 0);
    EXPECT_TRUE(log().starts_with("The job went past the page limit of 3 pages and was stopped; "
                                  "the job was set aside as " +
                                  folder.file("queue/prnspl.failed/")))
        << log();
    EXPECT_NE(record(1).find("pages=3\n"), std::string::npos) << "the pages before the stop";
}
