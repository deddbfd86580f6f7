// The queue monitor on real files in a temporary folder, with the ticks called by hand.

#include "capture/SpoolMonitor.h"
#include "base/Error.h"
#include "capture/SpoolFile.h"
#include "config/FileBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace marlet;
namespace fs = std::filesystem;

namespace {

void append(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

/// Records what the monitor asks of the application; a job reads its file as the job
/// driver does.
class RecordingHost : public SpoolHost {
public:
    void printFile(const std::string& path) override {
        filesPrinted.push_back(path);
        // A job counts its bytes in 32 bits, as the real one does.
        std::error_code unknown;
        if (fs::file_size(path, unknown) > 0xFFFFFFFFu && !unknown)
            throw Error::rangeCheck();
        std::optional<std::string> bytes = readFileBytes(path);
        if (!bytes)
            throw Error::cannotOpen(path);
        if (duringJob)
            duringJob();
        if (failure)
            throw Error(*failure);
        jobs.push_back(*bytes);
    }
    void reportError(const std::string& message) override { errors.push_back(message); }
    void setQueueInterval(int milliseconds) override { intervals.push_back(milliseconds); }
    void enableQueueCommands(bool enabled) override { commandsEnabled = enabled; }
    void showWaitingIcon(bool shown) override { iconChanges.push_back(shown); }
    bool captureHoldsBytes() override { return held; }

    std::vector<std::string> jobs;
    std::vector<std::string> filesPrinted;
    std::vector<std::string> errors;
    std::vector<int> intervals;
    std::optional<bool> commandsEnabled;
    std::vector<bool> iconChanges;
    std::optional<std::string> failure;
    std::function<void()> duringJob;
    bool held = false;
};

class SpoolMonitorTest : public ::testing::Test {
protected:
    SpoolMonitorTest() { settings.Spool = spool; }

    bool queueExists() const { return fs::exists(spool); }
    // Queue ticks until a job prints, at most limit; how many it took (limit + 1: none).
    int ticksToPrint(int limit = 200) {
        std::size_t printed = host.jobs.size();
        for (int tick = 1; tick <= limit; ++tick) {
            monitor.queueTick();
            if (host.jobs.size() > printed)
                return tick;
        }
        return limit + 1;
    }
    // Ticks that print a job that just arrived: one to see it, then the time-out.
    int timeOutTicks() const { return 1 + settings.TimeOut * 1000 / SpoolMonitor::QueuePeriod; }
    // The files of the set-aside folder, sorted: each job, then its reason.
    std::vector<fs::path> setAside() const {
        std::vector<fs::path> files;
        std::error_code missing;
        for (const auto& entry : fs::directory_iterator(spool + ".failed", missing))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }

    TempFolder folder;
    std::string spool = folder.file("prnspl");
    Settings settings;
    RecordingHost host;
    SpoolMonitor monitor{settings, host};
};

using Jobs = std::vector<std::string>;
using Intervals = std::vector<int>;

} // namespace

TEST_F(SpoolMonitorTest, AJobPrintsOnceItsSizeHeldForTheTimeOut) {
    monitor.queueTick();
    EXPECT_EQ(host.commandsEnabled, false);
    append(spool, "Line 1\r\n");
    EXPECT_EQ(ticksToPrint(20), 21);
    EXPECT_EQ(host.commandsEnabled, true);
    append(spool, "Line 2\r\n");
    EXPECT_EQ(ticksToPrint(), 31) << "3 seconds of 100 ms ticks after the one that saw it";
    EXPECT_EQ(host.jobs, Jobs{"Line 1\r\nLine 2\r\n"});
    EXPECT_FALSE(queueExists());
    EXPECT_FALSE(fs::exists(spool + ".printing"));
    EXPECT_EQ(host.intervals, (Intervals{0, 100})) << "stopped for the job, then re-armed";
    EXPECT_EQ(host.filesPrinted, std::vector<std::string>{spool + ".printing"})
        << "the claimed file prints; the setting still names the queue";
}

TEST_F(SpoolMonitorTest, AnEmptyQueueIsNeverPrintedButEnablesTheCommands) {
    append(spool, "");
    for (int tick = 0; tick < 3; ++tick)
        monitor.queueTick();
    EXPECT_EQ(host.commandsEnabled, true);
    EXPECT_TRUE(host.jobs.empty());
    EXPECT_TRUE(queueExists());
}

TEST_F(SpoolMonitorTest, BytesArrivingWhileAJobPrintsMakeTheNextJob) {
    append(spool, "first");
    host.duringJob = [&] { append(spool, "second"); };
    ticksToPrint();
    host.duringJob = nullptr;
    EXPECT_EQ(host.jobs, Jobs{"first"});
    EXPECT_EQ(readFileBytes(spool), "second");
    EXPECT_EQ(ticksToPrint(), timeOutTicks());
    EXPECT_EQ(host.jobs, (Jobs{"first", "second"}));
}

TEST_F(SpoolMonitorTest, ANewJobWaitsOneTimeOutEvenWithThePreviousJobsSize) {
    append(spool, "12345");
    ticksToPrint();
    append(spool, "abcde");
    EXPECT_EQ(ticksToPrint(), timeOutTicks()) << "not at once with the old size";
    EXPECT_EQ(host.jobs, (Jobs{"12345", "abcde"}));

    settings.TimeOut = 1;
    append(spool, "ABCDE");
    EXPECT_EQ(ticksToPrint(5), 6);
    monitor.clearQueue();
    append(spool, "vwxyz");
    EXPECT_EQ(ticksToPrint(), 11) << "clearing forgets the size too";
}

TEST_F(SpoolMonitorTest, EndOfPageModeWaitsForAFormFeedInTheLast32Bytes) {
    settings.FormFeed = true;
    append(spool, "\x0C" + std::string(32, 'a'));
    EXPECT_EQ(ticksToPrint(), 201) << "the form feed is 33 bytes from the end; no time-out";

    append(spool, "page end\x0C");
    monitor.queueTick();
    EXPECT_EQ(host.jobs, Jobs{"\x0C" + std::string(32, 'a') + "page end\x0C"})
        << "printed at once, growing or not";
    EXPECT_FALSE(queueExists());

    append(spool, "\x0Cshort");
    EXPECT_EQ(ticksToPrint(), 201) << "the first byte of a short file is not looked at";
    monitor.printQueue();
    append(spool, "x\x0C");
    monitor.queueTick();
    EXPECT_EQ(host.jobs.back(), "x\x0C");
}

TEST_F(SpoolMonitorTest, AnUnreadableTailEndsNoPage) {
    settings.FormFeed = true;
    fs::create_directory(spool);
    monitor.queueTick();
    EXPECT_EQ(host.commandsEnabled, true);
    EXPECT_TRUE(host.jobs.empty());
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(SpoolMonitorTest, WithoutAutomaticPrintingTheWaitingIconPrintsOnAClick) {
    settings.AutoPrint = false;
    monitor.stateTick();
    EXPECT_EQ(host.commandsEnabled, false);
    append(spool, "waiting job");
    monitor.stateTick();
    monitor.stateTick();
    EXPECT_EQ(host.iconChanges, std::vector<bool>{true}) << "added once";
    EXPECT_EQ(ticksToPrint(), 201);

    monitor.waitingIconClicked();
    EXPECT_EQ(host.jobs, Jobs{"waiting job"});
    EXPECT_EQ(host.iconChanges, (std::vector<bool>{true, false}));
    EXPECT_FALSE(queueExists());
    EXPECT_EQ(host.intervals, (Intervals{0, 100}));
    monitor.stateTick();
    EXPECT_EQ(host.iconChanges.size(), 2u);
}

TEST_F(SpoolMonitorTest, TheStateTickFollowsTheQueueFile) {
    append(spool, "x");
    monitor.stateTick();
    EXPECT_EQ(host.commandsEnabled, true);
    EXPECT_TRUE(host.iconChanges.empty()) << "automatic printing needs no icon";
    fs::remove(spool);
    monitor.stateTick();
    EXPECT_EQ(host.commandsEnabled, false);
}

TEST_F(SpoolMonitorTest, TheTimeOutInForceCountsAtEveryTick) {
    settings.TimeOut = 7;
    append(spool, "x");
    for (int tick = 0; tick < 40; ++tick)
        monitor.queueTick();
    settings.TimeOut = 4;
    EXPECT_EQ(ticksToPrint(), 1) << "quiet for 3.9 seconds: the new time-out has passed";
    EXPECT_EQ(host.intervals, (Intervals{0, 100}));
}

TEST_F(SpoolMonitorTest, PrintingTheQueueByCommand) {
    append(spool, "now");
    monitor.printQueue();
    EXPECT_EQ(host.jobs, Jobs{"now"});
    EXPECT_FALSE(queueExists());
    EXPECT_EQ(host.commandsEnabled, false);
    EXPECT_EQ(host.intervals, (Intervals{0, 100}));

    monitor.printQueue();
    EXPECT_EQ(host.errors, std::vector<std::string>{"Cannot open file " + spool +
                                                    ": No such file or directory"});
    EXPECT_EQ(host.intervals, (Intervals{0, 100, 0, 100}));
}

TEST_F(SpoolMonitorTest, PrintingAChosenFileThatIsTheQueueLeavesIt) {
    append(spool, "queue");
    std::string other = folder.file("report.prn");
    append(other, "report");
    monitor.printChosenFile(other);
    monitor.printChosenFile(spool);
    EXPECT_EQ(host.jobs, (Jobs{"report", "queue"}));
    EXPECT_EQ(readFileBytes(spool), "queue");
    EXPECT_EQ(readFileBytes(other), "report");
    EXPECT_EQ(host.intervals, (Intervals{0, 100, 0, 100}));
}

TEST_F(SpoolMonitorTest, AFailedJobIsSetAsideOnceWithItsReasonAndTheQueueGoesOn) {
    host.failure = "Printer error";
    monitor.printChosenFile(folder.file("missing.prn"));
    EXPECT_EQ(host.errors,
              std::vector<std::string>{"Cannot open file " + folder.file("missing.prn") +
                                       ": No such file or directory"});
    EXPECT_EQ(host.intervals, (Intervals{0, 100}));

    append(spool, "bad job");
    host.duringJob = [&] { append(spool, "next job"); };
    // The job fails, so it never counts as printed: the ticks of one time-out.
    ticksToPrint(timeOutTicks());
    std::vector<fs::path> kept = setAside();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].extension(), ".prn");
    EXPECT_EQ(readFileBytes(kept[0]), "bad job");
    EXPECT_EQ(readFileBytes(kept[1]), "Printer error\n") << "the reason beside the job";
    EXPECT_EQ(host.errors.back(), "Printer error; the job was set aside as " + kept[0].string());
    EXPECT_EQ(host.intervals.back(), 100);
    EXPECT_EQ(readFileBytes(spool), "next job") << "the job is not put back in front";
    EXPECT_FALSE(fs::exists(spool + ".printing"));
    EXPECT_FALSE(fs::exists(spool + ".printing.started"));

    host.failure.reset();
    host.duringJob = nullptr;
    ticksToPrint();
    EXPECT_EQ(host.jobs, Jobs{"next job"});
    EXPECT_EQ(host.errors.size(), 2u) << "reported once";
}

TEST_F(SpoolMonitorTest, AJobLeftClaimedByAnEarlierRunPrintsAloneAndIsSetAsideAfterTwoStarts) {
    // Ended in the middle with no mark, as an older run did: printed again, before the
    // queue and apart from it.
    append(spool + ".printing", "left over, ");
    append(spool, "new");
    monitor.printQueue();
    EXPECT_EQ(host.jobs, (Jobs{"left over, ", "new"}));

    // Started once by a run that died with it: one more try, marked as the second.
    append(spool + ".printing", "tried once");
    append(spool + ".printing.started", "1\n");
    host.duringJob = [&] { EXPECT_EQ(readFileBytes(spool + ".printing.started"), "2\n"); };
    monitor.queueTick();
    EXPECT_EQ(host.jobs.back(), "tried once");
    EXPECT_FALSE(fs::exists(spool + ".printing.started"));
    host.duringJob = nullptr;

    // Started twice and the run died each time: set aside without a third try.
    append(spool + ".printing", "took the app down twice");
    append(spool + ".printing.started", "2\n");
    append(spool, "behind it");
    monitor.queueTick();
    EXPECT_EQ(host.jobs.size(), 3u);
    std::vector<fs::path> kept = setAside();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(readFileBytes(kept[0]), "took the app down twice");
    EXPECT_EQ(host.errors, std::vector<std::string>{
                               "Marlet stopped 2 times while this job printed; the job was set "
                               "aside as " +
                               kept[0].string()});
    EXPECT_FALSE(fs::exists(spool + ".printing.started"));
    EXPECT_EQ(ticksToPrint(), timeOutTicks());
    EXPECT_EQ(host.jobs.back(), "behind it");
}

TEST_F(SpoolMonitorTest, NoJobPrintsWhileTheDriverHoldsItsTail) {
    append(spool, "first 23715 bytes");
    // The file kept its size, but the driver still holds the rest of the line.
    host.held = true;
    EXPECT_EQ(ticksToPrint(100), 101);
    host.held = false;
    append(spool, " and the tail");
    EXPECT_EQ(ticksToPrint(), timeOutTicks());
    EXPECT_EQ(host.jobs, Jobs{"first 23715 bytes and the tail"});

    settings.FormFeed = true;
    append(spool, "page\f");
    host.held = true;
    monitor.queueTick();
    EXPECT_EQ(host.jobs.size(), 1u) << "a form feed does not end the job either";
    host.held = false;
    monitor.queueTick();
    EXPECT_EQ(host.jobs.back(), "page\f");
}

TEST_F(SpoolMonitorTest, AJobItsSenderEndedPrintsAtOnceAndFirst) {
    settings.FormFeed = true;
    append(spool + ".ended", "closed its connection");
    append(spool, "next job, still coming");
    monitor.stateTick();
    EXPECT_EQ(host.commandsEnabled, true);
    EXPECT_EQ(ticksToPrint(), 1) << "whether or not it ends a page";
    EXPECT_EQ(host.jobs, Jobs{"closed its connection"});
    EXPECT_FALSE(fs::exists(spool + ".ended"));
    EXPECT_EQ(readFileBytes(spool), "next job, still coming");

    append(spool + ".ended", "ended while nobody printed");
    settings.AutoPrint = false;
    EXPECT_EQ(ticksToPrint(), 201);
    monitor.printQueue();
    EXPECT_EQ(host.jobs, (Jobs{"closed its connection", "ended while nobody printed",
                               "next job, still coming"}))
        << "by command: oldest first, each a job of its own";

    append(spool + ".ended", "cleared");
    monitor.stateTick();
    EXPECT_EQ(host.commandsEnabled, true) << "an ended job alone is a queue too";
    monitor.clearQueue();
    monitor.stateTick();
    EXPECT_EQ(host.commandsEnabled, false);
    EXPECT_FALSE(fs::exists(spool + ".ended"));
}

TEST_F(SpoolMonitorTest, AnEndMarkedByTheCaptureSideIsTheWholeFileAtThatSize) {
    SpoolFile queue(spool);
    EXPECT_TRUE(queue.endJob(0)) << "no file: nothing to mark";
    append(spool, "job one");
    EXPECT_TRUE(queue.endJob(3)) << "the file grew past the end: one job with what follows";
    EXPECT_FALSE(fs::exists(spool + ".ended"));
    EXPECT_TRUE(queue.endJob(7));
    EXPECT_EQ(readFileBytes(spool + ".ended"), "job one");
    EXPECT_FALSE(queueExists());
    append(spool, "job two");
    EXPECT_FALSE(queue.endJob(7)) << "job one still waits: tried again later";
    EXPECT_EQ(readFileBytes(spool), "job two");
    EXPECT_EQ(ticksToPrint(1), 1);
    EXPECT_TRUE(queue.endJob(7));
    EXPECT_EQ(ticksToPrint(1), 1);
    EXPECT_EQ(host.jobs, (Jobs{"job one", "job two"}));
}

TEST_F(SpoolMonitorTest, APrinterJobsEndPrintsAfterTwoQuietTicks) {
    const std::string exit = "\x1B%-12345X";
    struct Case {
        std::string job;
        int ticks;
    };
    const std::vector<Case> cases = {
        {exit +
             "@PJL ENTER LANGUAGE=PCL\r\n\x1B"
             "EHello\x1B"
             "E" +
             exit,
         3},
        {"\x1B"
         "EHello\x1B"
         "E" +
             exit + "@PJL EOJ NAME=\"x\"\r\n" + exit,
         3},
        {"\x1B"
         "EHello" +
             exit + "@pjl eoj\r\n",
         timeOutTicks()},
        {"Hello\r\n" + exit + "@PJL  eoj\n", 3},
        {"Hello\r\n@PJL EOJOB\r\n", timeOutTicks()},
        {exit, timeOutTicks()},
        {exit + "@PJL JOB\r\n@PJL ENTER LANGUAGE=PCL\r\n", timeOutTicks()},
        {std::string(300, 'x') + exit, 3},
    };
    for (const Case& c : cases) {
        append(spool, c.job);
        EXPECT_EQ(ticksToPrint(), c.ticks) << c.job;
        EXPECT_EQ(host.jobs.back(), c.job);
    }
}

TEST_F(SpoolMonitorTest, AQueueFileTooBigForAJobIsSetAsideOnce) {
    // A sparse file: four gigabytes and one byte that take no room on disk.
    int fd = ::open(spool.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(ftruncate(fd, 0x100000001LL), 0);
    ::close(fd);
    ticksToPrint();
    EXPECT_TRUE(host.filesPrinted.empty());
    EXPECT_EQ(host.errors,
              std::vector<std::string>{"The queue file held 4294967297 bytes, more than a job can "
                                       "print; it was moved to " +
                                       spool + ".too-big"});
    EXPECT_FALSE(queueExists());
    EXPECT_EQ(fs::file_size(spool + ".too-big"), 0x100000001u);
    EXPECT_EQ(host.intervals.back(), 100) << "the queue timer runs on";

    append(spool, "next job");
    ticksToPrint();
    EXPECT_EQ(host.jobs, Jobs{"next job"});
}
