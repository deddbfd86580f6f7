// Streams written to hurt: huge counts, moves far off the sheet, commands cut in half, tiny
// pictures by the million. Each is printed by marlet-print as a user would, under the
// ready-made schemes, and must end cleanly in bounded time and memory with the text after
// it on the page.

#include "config/FileBytes.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

const std::string Esc = "\x1B";

std::string repeated(const std::string& piece, int times) {
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// How a program run ended: its exit status (-1 for a signal or the time limit), its peak
// memory, and what it said on stderr.
struct Finished {
    int status = -1;
    long peakKilobytes = 0;
    std::string errors;
};

Finished runLimited(const std::vector<std::string>& arguments, const std::string& errorFile,
                    std::chrono::seconds limit) {
    pid_t pid = fork();
    if (pid == 0) {
        int error = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(error, STDERR_FILENO);
        int nothing = open("/dev/null", O_WRONLY);
        dup2(nothing, STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Finished finished;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, WNOHANG, &usage) == pid) {
            finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            finished.peakKilobytes = usage.ru_maxrss;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    finished.errors = readFileBytes(errorFile).value_or("");
    return finished;
}

struct HostileStream {
    const char* name;
    const char* scheme;
    std::string bytes;
    const char* output; // the file's extension: pdf or png
    std::vector<std::string> settings;
    const char* textAfter; // what prints after the hostile bytes, "" for nothing to read
};

std::vector<HostileStream> hostileStreams() {
    const std::string tallPicture = Esc + "*t600R" + Esc + "*r0A" + repeated(Esc + "*b60000Y", 30) +
                                    Esc + "*b0M" + Esc + "*b1276W" + std::string(1276, '\xFF') +
                                    Esc + "*rB";
    return {
        {"raster rows past 2 GiB", "HP PCL", tallPicture + "\fAfter\r\n", "pdf", {}, "After"},
        {"raster rows past 2 GiB at 10 dpi", "HP PCL", tallPicture, "png", {"--dpi", "10"}, ""},
        {"a hundred skips of 60,000 rows",
         "HP PCL",
         Esc + "*t600R" + Esc + "*r0A" + repeated(Esc + "*b60000Y", 100) + "\fAfter\r\n",
         "pdf",
         {},
         "After"},
        {"an image command cut between init string and file",
         "Epson ESC-P 9-pin",
         std::string("\x09\x01\x00\xFF", 4) + "After\r\n",
         "pdf",
         {"--set", "InitStr=" + Esc + "*"},
         "After"},
        {"a move of 99,999,999,999 dots",
         "HP PCL",
         Esc + "*p+99999999999XHello\r\n",
         "pdf",
         {},
         "Hello"},
        {"relative moves past 32 bits",
         "HP PCL",
         Esc + "*p+1000000000X" + Esc + "*p+1000000000XAfter\r\n",
         "pdf",
         {},
         "After"},
        {"a raster count past any integer",
         "HP PCL",
         Esc + "*b99999999999999999999999W" + Esc + "*b99999999999999999999999M" + "\r\nAfter\r\n",
         "pdf",
         {},
         ""},
        {"13,200 moves of 32,767/120 inch",
         "Epson ESC-P 9-pin",
         repeated(Esc + "\\\xFF\x7F", 13200) + "\rAfter\r\n",
         "pdf",
         {},
         "After"},
    };
}

} // namespace

TEST(HostileJobsTest, EveryStreamEndsCleanlyInBoundedMemoryAndPrintsWhatFollows) {
    TempFolder folder;
    const std::string registry = folder.file("registry.db");
    for (const char* scheme : {"epson-escp-9pin", "hp-pcl"}) {
        const ShellOutput imported =
            runShell(std::string(MARLET_BINARY_DIR "/marlet-reg --registry '") + registry +
                     "' import '" MARLET_DATA_DIR "/schemes/" + scheme + ".reg' 2>&1");
        ASSERT_EQ(imported.status, 0) << imported.out;
    }
    for (const HostileStream& stream : hostileStreams()) {
        SCOPED_TRACE(stream.name);
        const std::string job = folder.file("job.prn");
        std::ofstream(job, std::ios::binary) << stream.bytes;
        const std::string output = folder.file(std::string("out.") + stream.output);
        std::vector<std::string> arguments{MARLET_BINARY_DIR "/marlet-print",
                                           "--data-dir",
                                           MARLET_DATA_DIR,
                                           "--registry",
                                           registry,
                                           "--set",
                                           std::string("Sequence=") + stream.scheme,
                                           job,
                                           "-o",
                                           output};
        arguments.insert(arguments.end(), stream.settings.begin(), stream.settings.end());
        const Finished finished =
            runLimited(arguments, folder.file("errors.txt"), std::chrono::seconds(60));
        EXPECT_EQ(finished.status, 0) << finished.errors;
        EXPECT_LT(finished.peakKilobytes, 1536L * 1024);
        if (*stream.textAfter != '\0') {
            EXPECT_NE(runShell("pdftotext '" + output + "' -").out.find(stream.textAfter),
                      std::string::npos);
        }
    }
}

TEST(HostileJobsTest, TinyPicturesCostAFewPdfBytesEach) {
    // A million-byte stream of one-column images, each of one dot row.
    TempFolder folder;
    const std::string registry = folder.file("registry.db");
    ASSERT_EQ(runShell(std::string(MARLET_BINARY_DIR "/marlet-reg --registry '") + registry +
                       "' import '" MARLET_DATA_DIR "/schemes/epson-escp-9pin.reg'")
                  .status,
              0);
    const std::string job = folder.file("dots.prn");
    const std::string line = repeated(Esc + std::string("K\x01\x00\xFF", 4), 200) + "\r\n";
    std::ofstream(job, std::ios::binary) << repeated(line, 1000);
    const std::string pdf = folder.file("dots.pdf");
    const Finished finished =
        runLimited({MARLET_BINARY_DIR "/marlet-print", "--data-dir", MARLET_DATA_DIR, "--registry",
                    registry, "--set", "Sequence=Epson ESC-P 9-pin", job, "-o", pdf},
                   folder.file("errors.txt"), std::chrono::seconds(60));
    ASSERT_EQ(finished.status, 0) << finished.errors;
    EXPECT_LT(fs::file_size(pdf), 5 * fs::file_size(job)) << fs::file_size(job);
}
