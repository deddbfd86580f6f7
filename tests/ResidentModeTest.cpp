// marlet --headless with the capture service, as a user runs them: DOS jobs sent to the
// TCP printer port come out as PDFs of the PDF printer, one per job.

#include "config/FileBytes.h"
#include "config/SettingsStore.h"
#include "config/SqliteSettingsStore.h"
#include "support/ChildProcess.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> pdfsIn(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".pdf")
            found.push_back(entry.path().string());
    return found;
}

// The page text without the layout's trailing blanks, page breaks and blank lines.
std::string pdfText(const std::string& path) {
    std::istringstream lines(marlet::testing::runShell("pdftotext -layout '" + path + "' -").out);
    std::string text;
    for (std::string line; std::getline(lines, line);) {
        std::erase(line, '\f');
        line.erase(line.find_last_not_of(' ') + 1);
        if (!line.empty())
            text += line + "\n";
    }
    return text;
}

// Waits for a file of that name to be renamed into the watched folder.
bool claimedWithin(int watch, const std::string& name, int milliseconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    alignas(inotify_event) char events[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd entry{watch, POLLIN, 0};
        if (left <= 0 || poll(&entry, 1, static_cast<int>(left)) != 1)
            return false;
        ssize_t got = read(watch, events, sizeof events);
        for (ssize_t at = 0; at < got;) {
            auto* event = reinterpret_cast<inotify_event*>(events + at);
            if (event->len > 0 && name == event->name)
                return true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

} // namespace

TEST(ResidentModeTest, ThreeJobsOverTcpBecomeThreePdfs) {
    TempFolder folder;
    std::string runtime = folder.file("run");
    mkdir(runtime.c_str(), 0700);
    std::string pdfFolder = folder.file("pdf");
    fs::create_directory(pdfFolder);
    std::string spool = folder.file("queue/prnspl");
    std::string registry = folder.file("registry.db");
    {
        SqliteSettingsStore store(registry);
        store.setValue(MarletKey, "TimeOut", std::uint32_t{1});
        store.setValue(MarletKey, "Spool", spool);
        store.setValue(MarletKey, "Capture", std::uint32_t{1});
        store.setValue(MarletKey, "AutoPrint", std::uint32_t{1});
    }
    std::vector<std::string> environment{"XDG_RUNTIME_DIR=" + runtime,
                                         "MARLET_PDF_DIR=" + pdfFolder, "HOME=" + folder.file(""),
                                         "CUPS_SERVER=" + folder.file("no-cupsd.socket")};
    int port = freeLoopbackPort();
    ChildProcess service(MARLET_BINARY_DIR "/marlet-capture",
                         {"--listen", "127.0.0.1:" + std::to_string(port), "--fifo", "none"},
                         environment, folder.file("capture.log"));
    ASSERT_TRUE(waitFor([&] { return fs::exists(runtime + "/marlet/capture.socket"); }));
    ChildProcess marlet(MARLET_BINARY_DIR "/marlet",
                        {"--headless", "--data-dir", MARLET_DATA_DIR, "--registry", registry},
                        environment, folder.file("marlet.log"));

    const std::string first = "First job: invoice 1452\r\n";
    std::string second;
    for (int line = 1; line <= 200; ++line)
        second += "Second job, line " + std::to_string(line) + "\r\n";
    const std::string third = "Third job: delivery note\r\n";

    // A job is done once its PDF exists and its claimed queue file is gone.
    auto printed = [&](std::size_t jobs) {
        return waitFor(
            [&] { return pdfsIn(pdfFolder).size() == jobs && !fs::exists(spool + ".printing"); });
    };
    ASSERT_TRUE(sendToPort(port, first));
    ASSERT_TRUE(printed(1)) << readFileBytes(folder.file("marlet.log")).value_or("");
    // The third job comes while the second prints: right when its queue file is claimed.
    int watch = inotify_init1(IN_CLOEXEC);
    inotify_add_watch(watch, folder.file("queue").c_str(), IN_MOVED_TO);
    ASSERT_TRUE(sendToPort(port, second));
    ASSERT_TRUE(claimedWithin(watch, "prnspl.printing", 10000));
    close(watch);
    ASSERT_TRUE(sendToPort(port, third));
    ASSERT_TRUE(printed(3)) << readFileBytes(folder.file("marlet.log")).value_or("");

    EXPECT_EQ(marlet.terminate(), 0);
    EXPECT_EQ(service.wait(), 0) << "the service ends with its last connection";
    EXPECT_EQ(readFileBytes(folder.file("marlet.log")).value_or(""), "");

    auto asText = [](std::string job) {
        std::erase(job, '\r');
        return job;
    };
    std::vector<std::string> texts;
    for (const std::string& pdf : pdfsIn(pdfFolder))
        texts.push_back(pdfText(pdf));
    std::vector<std::string> expected{asText(first), asText(second), asText(third)};
    std::sort(texts.begin(), texts.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(texts, expected);
    EXPECT_FALSE(fs::exists(spool));
}

namespace {

// Seconds of processor time the process has used so far.
double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long ticks = 0;
    for (int index = 3; fields >> field && index <= 15; ++index) {
        if (index == 14 || index == 15)
            ticks += std::stoll(field);
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The pid of the capture service that runs with this runtime folder, or 0.
pid_t serviceFor(const std::string& runtime) {
    const std::string wanted = "XDG_RUNTIME_DIR=" + runtime;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string command = readFileBytes(entry.path().string() + "/cmdline").value_or("");
        if (command.find("marlet-capture") == std::string::npos)
            continue;
        std::string environment = readFileBytes(entry.path().string() + "/environ").value_or("");
        std::replace(environment.begin(), environment.end(), '\0', '\n');
        if (("\n" + environment).find("\n" + wanted + "\n") != std::string::npos)
            return static_cast<pid_t>(std::stoi(name));
    }
    return 0;
}

} // namespace

TEST(ResidentModeTest, AKilledCaptureServiceComesBackWithoutSpinningAndSettingsSurvive) {
    TempFolder folder;
    std::string runtime = folder.file("run");
    mkdir(runtime.c_str(), 0700);
    std::string pdfFolder = folder.file("pdf");
    std::string spool = folder.file("queue/prnspl");
    std::string registry = folder.file("registry.db");
    {
        SqliteSettingsStore store(registry);
        store.setValue(MarletKey, "TimeOut", std::uint32_t{1});
        store.setValue(MarletKey, "Spool", spool);
        store.setValue(MarletKey, "Capture", std::uint32_t{1});
    }
    int port = freeLoopbackPort();
    // marlet starts the service itself, now and after it was killed.
    std::vector<std::string> environment{"XDG_RUNTIME_DIR=" + runtime,
                                         "MARLET_PDF_DIR=" + pdfFolder, "HOME=" + folder.file(""),
                                         "CUPS_SERVER=" + folder.file("no-cupsd.socket"),
                                         "MARLET_CAPTURE_LISTEN=127.0.0.1:" + std::to_string(port)};
    ChildProcess marlet(MARLET_BINARY_DIR "/marlet",
                        {"--headless", "--data-dir", MARLET_DATA_DIR, "--registry", registry},
                        environment, folder.file("marlet.log"));
    pid_t service = 0;
    // Capture runs once what the port takes reaches the queue file: only then has marlet
    // finished starting it, so that the kill below meets a running capture and not its
    // start. The service writes after a pause in the bytes, and the open connection keeps
    // them in the queue for the time-out; a bold switch alone makes a job with nothing to
    // print, which is done before the kill.
    auto queued = [&] {
        std::error_code error;
        return fs::file_size(spool, error) > 0 && !error;
    };
    int sender = -1;
    ASSERT_TRUE(waitFor(
        [&] {
            if ((service = serviceFor(runtime)) <= 0)
                return false;
            if (sender < 0)
                sender = connectToPort(port);
            return sender >= 0 &&
                   write(sender,
                         "\x1B"
                         "B",
                         2) == 2 &&
                   waitFor(queued, std::chrono::seconds(3));
        },
        std::chrono::seconds(20)))
        << readFileBytes(folder.file("marlet.log")).value_or("");
    ASSERT_TRUE(waitFor([&] { return !fs::exists(spool) && !fs::exists(spool + ".printing"); }));
    close(sender);

    // Another program changes a setting while marlet runs.
    {
        SqliteSettingsStore store(registry);
        store.setValue(MarletKey, "FontSize", std::uint32_t{14});
    }
    double before = cpuSeconds(marlet.pid());
    kill(service, SIGKILL);
    pid_t restarted = 0;
    ASSERT_TRUE(waitFor([&] {
        return (restarted = serviceFor(runtime)) > 0 && restarted != service &&
               sendToPort(port, "");
    })) << readFileBytes(folder.file("marlet.log")).value_or("");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    // A loop that spun on the hung-up connection would have used every second since.
    EXPECT_LT(cpuSeconds(marlet.pid()) - before, 0.5);

    ASSERT_TRUE(sendToPort(port, "Printed after the restart\r\n"));
    ASSERT_TRUE(waitFor([&] { return fs::exists(pdfFolder) && pdfsIn(pdfFolder).size() == 1; }))
        << readFileBytes(folder.file("marlet.log")).value_or("");
    EXPECT_EQ(pdfText(pdfsIn(pdfFolder)[0]), "Printed after the restart\n");

    EXPECT_EQ(marlet.terminate(), 0);
    EXPECT_EQ(readFileBytes(folder.file("marlet.log")).value_or(""),
              "The capture service has stopped; it will be started again\n");
    SqliteSettingsStore store(registry, SqliteSettingsStore::Access::ReadOnly);
    EXPECT_EQ(readNumber(store, MarletKey, "FontSize"), 14u) << "the exit save left it alone";
}

namespace {

// The files of the set-aside folder, sorted: each job, then its reason.
std::vector<std::string> setAsideFiles(const std::string& spool) {
    std::vector<std::string> files;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(spool + ".failed", missing))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// A marlet-print that fails as the job's first word asks: it crashes, says an error, or
// takes the resident app down with it (and would print on a second later); any other job
// goes to the real one.
const char* const FailingPrinter = R"sh(#!/bin/sh
for job; do :; done
case "$(head -c 5 "$job")" in
CRASH) kill -SEGV $$ ;;
FAILS) echo "marlet-print: Range check error" >&2; exit 1 ;;
KILLS) kill -KILL $PPID; sleep 1; touch "$job.survived"; exit 0 ;;
esac
exec ')sh" MARLET_BINARY_DIR R"sh(/marlet-print' "$@"
)sh";

} // namespace

TEST(ResidentModeTest, AJobThatFailsOrTakesMarletDownTwiceIsSetAsideAndTheNextOnePrints) {
    TempFolder folder;
    std::string runtime = folder.file("run");
    mkdir(runtime.c_str(), 0700);
    std::string pdfFolder = folder.file("pdf");
    std::string spool = folder.file("queue/prnspl");
    std::string registry = folder.file("registry.db");
    {
        SqliteSettingsStore store(registry);
        store.setValue(MarletKey, "TimeOut", std::uint32_t{1});
        store.setValue(MarletKey, "Spool", spool);
        store.setValue(MarletKey, "Capture", std::uint32_t{0});
    }
    fs::create_directories(folder.file("queue"));
    // marlet runs the marlet-print that sits beside it.
    std::string bin = folder.file("bin");
    fs::create_directories(bin);
    fs::copy_file(MARLET_BINARY_DIR "/marlet", bin + "/marlet");
    std::ofstream(bin + "/marlet-print") << FailingPrinter;
    fs::permissions(bin + "/marlet-print", fs::perms::owner_all);
    std::vector<std::string> environment{"XDG_RUNTIME_DIR=" + runtime,
                                         "MARLET_PDF_DIR=" + pdfFolder, "HOME=" + folder.file(""),
                                         "CUPS_SERVER=" + folder.file("no-cupsd.socket")};
    const std::vector<std::string> arguments{"--headless", "--data-dir", MARLET_DATA_DIR,
                                             "--registry", registry};
    auto log = [&](int run) { return folder.file("marlet" + std::to_string(run) + ".log"); };
    auto queue = [&](const std::string& job) {
        std::ofstream(spool, std::ios::binary | std::ios::app) << job;
    };
    auto idle = [&] { return !fs::exists(spool) && !fs::exists(spool + ".printing"); };

    {
        ChildProcess marlet(bin + "/marlet", arguments, environment, log(1));
        queue("CRASH at once\r\n");
        ASSERT_TRUE(waitFor([&] { return idle() && setAsideFiles(spool).size() == 2; }))
            << readFileBytes(log(1)).value_or("");
        queue("FAILS to print\r\n");
        ASSERT_TRUE(waitFor([&] { return idle() && setAsideFiles(spool).size() == 4; }))
            << readFileBytes(log(1)).value_or("");
        queue("Printed after two bad jobs\r\n");
        ASSERT_TRUE(waitFor([&] { return fs::exists(pdfFolder) && pdfsIn(pdfFolder).size() == 1; }))
            << readFileBytes(log(1)).value_or("");
        EXPECT_EQ(pdfText(pdfsIn(pdfFolder)[0]), "Printed after two bad jobs\n");
        EXPECT_EQ(marlet.terminate(), 0);
    }
    std::vector<std::string> kept = setAsideFiles(spool);
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(readFileBytes(kept[0]), "CRASH at once\r\n");
    EXPECT_EQ(readFileBytes(kept[2]), "FAILS to print\r\n");
    EXPECT_EQ(readFileBytes(kept[3]), "Range check error\n");
    EXPECT_EQ(readFileBytes(log(1)),
              "The job's printing process crashed (signal 11, Segmentation fault); the job was "
              "set aside as " +
                  kept[0] +
                  "\n"
                  "Range check error; the job was set aside as " +
                  kept[2] + "\n");

    // A job that takes marlet down is tried once more at the next start, then set aside.
    queue("KILLS the resident app\r\n");
    for (int run = 2; run <= 3; ++run) {
        ChildProcess marlet(bin + "/marlet", arguments, environment, log(run));
        marlet.wait(std::chrono::seconds(20));
        EXPECT_FALSE(marlet.running()) << "killed with its job";
        EXPECT_TRUE(fs::exists(spool + ".printing"));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(fs::exists(spool + ".printing.survived")) << "the job ends with marlet";
    queue("Printed after the restarts\r\n");
    ChildProcess marlet(bin + "/marlet", arguments, environment, log(4));
    ASSERT_TRUE(waitFor([&] { return idle() && pdfsIn(pdfFolder).size() == 2; }))
        << readFileBytes(log(4)).value_or("");
    EXPECT_EQ(marlet.terminate(), 0);
    kept = setAsideFiles(spool);
    ASSERT_EQ(kept.size(), 6u);
    EXPECT_EQ(readFileBytes(kept[4]), "KILLS the resident app\r\n");
    EXPECT_EQ(readFileBytes(log(4)),
              "Marlet stopped 2 times while this job printed; the job was set aside as " + kept[4] +
                  "\n");
    std::vector<std::string> texts;
    for (const std::string& pdf : pdfsIn(pdfFolder))
        texts.push_back(pdfText(pdf));
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"Printed after the restarts\n",
                                               "Printed after two bad jobs\n"}));
}

TEST(ResidentModeTest, OneResidentAppRunsWhateverTheInterfaceLanguage) {
    TempFolder folder;
    std::string runtime = folder.file("run");
    mkdir(runtime.c_str(), 0700);
    std::string registry = folder.file("registry.db");
    {
        SqliteSettingsStore store(registry);
        store.setValue(MarletKey, "Spool", folder.file("prnspl"));
        store.setValue(MarletKey, "Capture", std::uint32_t{0});
        store.setValue(MarletKey, "TimeOut", std::uint32_t{1});
    }
    std::vector<std::string> environment{"XDG_RUNTIME_DIR=" + runtime, "HOME=" + folder.file(""),
                                         "MARLET_PDF_DIR=" + folder.file("pdf"),
                                         "CUPS_SERVER=" + folder.file("no-cupsd.socket")};
    const std::vector<std::string> arguments{"--headless", "--data-dir", MARLET_DATA_DIR,
                                             "--registry", registry};
    ChildProcess first(MARLET_BINARY_DIR "/marlet", arguments, environment,
                       folder.file("first.log"));
    // Up once its queue timer runs: the lock is taken before it.
    std::ofstream(folder.file("prnspl")) << "x";
    ASSERT_TRUE(waitFor([&] { return !fs::exists(folder.file("prnspl")); }))
        << readFileBytes(folder.file("first.log")).value_or("");
    // The settings window's caption follows the language; the lock does not.
    {
        SqliteSettingsStore store(registry);
        store.setValue(MarletKey, "Language", std::string("English"));
    }
    ChildProcess second(MARLET_BINARY_DIR "/marlet", arguments, environment,
                        folder.file("second.log"));
    EXPECT_EQ(second.wait(std::chrono::seconds(10)), 0);
    EXPECT_EQ(readFileBytes(folder.file("second.log")), "Marlet is already running\n");
    EXPECT_TRUE(first.running());
    EXPECT_EQ(first.terminate(), 0);
}
