// marlet --headless with the capture service, as a user runs them: DOS jobs sent to the
// TCP printer port come out as PDFs of the PDF printer, one per job.

#include "config/SettingsStore.h"
#include "config/SqliteSettingsStore.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/inotify.h>
#include <sys/stat.h>

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
    std::string command = "pdftotext -layout '" + path + "' -";
    std::string raw;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 4096> chunk;
        while (std::size_t got = std::fread(chunk.data(), 1, chunk.size(), pipe))
            raw.append(chunk.data(), got);
        pclose(pipe);
    }
    std::istringstream lines(raw);
    std::string text;
    for (std::string line; std::getline(lines, line);) {
        std::erase(line, '\f');
        line.erase(line.find_last_not_of(' ') + 1);
        if (!line.empty())
            text += line + "\n";
    }
    return text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
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
    ASSERT_TRUE(printed(1)) << readFile(folder.file("marlet.log"));
    // The third job comes while the second prints: right when its queue file is claimed.
    int watch = inotify_init1(IN_CLOEXEC);
    inotify_add_watch(watch, folder.file("queue").c_str(), IN_MOVED_TO);
    ASSERT_TRUE(sendToPort(port, second));
    ASSERT_TRUE(claimedWithin(watch, "prnspl.printing", 10000));
    close(watch);
    ASSERT_TRUE(sendToPort(port, third));
    ASSERT_TRUE(printed(3)) << readFile(folder.file("marlet.log"));

    EXPECT_EQ(marlet.terminate(), 0);
    EXPECT_EQ(service.wait(), 0) << "the service ends with its last connection";
    EXPECT_EQ(readFile(folder.file("marlet.log")), "");

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
