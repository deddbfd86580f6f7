// The resident session in-process, with a fake host whose timers the test fires by hand,
// fake printers that keep what each job printed, and the real queue file.

#include "app/ResidentSession.h"
#include "support/ChildProcess.h"
#include "support/FakeCatalog.h"
#include "support/InProcessJobs.h"
#include "support/MemorySettingsStore.h"
#include "support/RunningCaptureService.h"
#include "support/TempFolder.h"

#include "config/FileBytes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <thread>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
    return readFileBytes(path).value_or("");
}

void append(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

/// Writes down what the session asks of its face.
class FakeHost : public ResidentHost {
public:
    void reportError(const std::string& message) override { errors.push_back(message); }
    void enableQueueCommands(bool enabled) override { commandsEnabled = enabled; }
    void showWaitingIcon(bool shown) override { waitingIcon.push_back(shown); }
    void armQueueTimer(int milliseconds) override { timer.push_back(milliseconds); }
    void showFrame(int frame) override { frames.push_back(frame); }
    void restoreIcon() override { frames.push_back(-1); }

    std::vector<std::string> errors;
    std::optional<bool> commandsEnabled;
    std::vector<bool> waitingIcon;
    std::vector<int> timer;
    std::vector<int> frames;
};

using Intervals = std::vector<int>;

// Runs in the shipped data folder, as the programs do with --data-dir.
class ResidentSessionTest : public ::testing::Test {
protected:
    ResidentSessionTest() : m_previous(fs::current_path()) {
        fs::current_path(MARLET_DATA_DIR);
        store.setValue(MarletKey, "Spool", spool);
        store.setValue(MarletKey, "TimeOut", std::uint32_t{1});
        store.setValue(MarletKey, "Capture", std::uint32_t{0});
    }
    ~ResidentSessionTest() override { fs::current_path(m_previous); }

    const Jobs& office() { return catalog.printed["Office"]; }

    TempFolder folder;
    std::string spool = folder.file("prnspl");
    MemorySettingsStore store;
    FakeCatalog catalog;
    FakeHost host;
    InProcessJobs jobs;

private:
    fs::path m_previous;
};

} // namespace

TEST_F(ResidentSessionTest, AQuietQueuePrintsOnceAndBytesThatCameMeanwhileWait) {
    ResidentSession session(catalog, store, host, jobs, DriverLocation{});
    session.startUp();
    EXPECT_EQ(host.timer, Intervals{SpoolMonitor::QueuePeriod});
    EXPECT_EQ(session.printerName(), "Office");

    append(spool, "First job\r\n");
    // One tick sees the size, ten more find it held for the second of the time-out.
    for (int tick = 0; tick < 10; ++tick)
        session.queueTick();
    EXPECT_TRUE(office().empty());
    catalog.duringJob = [&] { append(spool, "Second"); };
    session.queueTick();
    EXPECT_EQ(office(), Jobs{"First job"});
    EXPECT_EQ(host.timer, (Intervals{100, 0, 100})) << "stopped for the job, re-armed after";
    EXPECT_EQ(readFile(spool), "Second") << "what came while it printed is the next job";
    EXPECT_EQ(host.frames.back(), -1);

    catalog.duringJob = nullptr;
    for (int tick = 0; tick < 11; ++tick)
        session.queueTick();
    EXPECT_EQ(office(), (Jobs{"First job", "Second"}));
    EXPECT_FALSE(fs::exists(spool));
    EXPECT_EQ(store.value(MarletKey, "Spool"), StoredValue(spool)) << "nothing saved yet";
    EXPECT_EQ(session.app().settings().Spool, spool) << "the claim never became the setting";
}

TEST_F(ResidentSessionTest, WithoutAutomaticPrintingTheWaitingIconPrintsOnAClick) {
    store.setValue(MarletKey, "AutoPrint", std::uint32_t{0});
    ResidentSession session(catalog, store, host, jobs, DriverLocation{});
    session.startUp();
    session.stateTick();
    EXPECT_EQ(host.commandsEnabled, false);
    append(spool, "Waiting job");
    session.stateTick();
    session.stateTick();
    for (int tick = 0; tick < 3; ++tick)
        session.queueTick();
    EXPECT_EQ(host.commandsEnabled, true);
    EXPECT_EQ(host.waitingIcon, std::vector<bool>{true});
    EXPECT_TRUE(office().empty());

    session.waitingIconClicked();
    EXPECT_EQ(office(), Jobs{"Waiting job"});
    EXPECT_EQ(host.waitingIcon, (std::vector<bool>{true, false}));
    EXPECT_FALSE(fs::exists(spool));
}

TEST_F(ResidentSessionTest, ATimeOutChangeCountsAtTheNextTickWithoutANewTimer) {
    ResidentSession session(catalog, store, host, jobs, DriverLocation{});
    session.startUp();
    session.app().setTimeOut(7);
    append(spool, "x");
    for (int tick = 0; tick < 40; ++tick)
        session.queueTick();
    EXPECT_TRUE(office().empty());
    session.app().setTimeOut(4);
    session.queueTick();
    EXPECT_EQ(office(), Jobs{"x"});
    EXPECT_EQ(host.timer, (Intervals{100, 0, 100}));
}

TEST_F(ResidentSessionTest, AnotherPrinterTakesTheNextJob) {
    ResidentSession session(catalog, store, host, jobs, DriverLocation{});
    session.startUp();
    int figures = session.app().figures().linesPerPage;
    session.setPrinter("Label");
    EXPECT_EQ(session.printerName(), "Label");
    EXPECT_EQ(session.app().resx(), 300);
    EXPECT_NE(session.app().figures().linesPerPage, figures);

    std::string report = folder.file("report.prn");
    append(report, "On labels");
    session.printChosenFile(report);
    EXPECT_EQ(catalog.printed["Label"], Jobs{"On labels"});
    EXPECT_EQ(jobs.printers, std::vector<std::string>{"Label"}) << "the job's process is told";
    EXPECT_TRUE(office().empty());
    EXPECT_EQ(readFile(report), "On labels") << "a chosen file is printed, not taken";
}

TEST_F(ResidentSessionTest, AFailedCaptureStartIsReportedAndStartUpGoesOn) {
    store.setValue(MarletKey, "Capture", std::uint32_t{1});
    store.setValue(std::string(MarletKey) + "\\InitStr", "Epson reset", std::string("\x1B@"));
    const std::string socket = folder.file("no.socket");
    const std::string service = folder.file("no-such-service");
    ResidentSession session(catalog, store, host, jobs, DriverLocation{socket, service});
    session.startUp();
    EXPECT_EQ(host.errors, std::vector<std::string>{service + " loaded incorrectly."});
    EXPECT_EQ(session.captureConnection(), -1);
    EXPECT_TRUE(session.app().settings().Capture) << "the switch keeps what the user set";
    EXPECT_EQ(session.initPresets().names, std::vector<std::string>{"Epson reset"});
    EXPECT_EQ(host.timer, Intervals{100});
    session.selectInitString("&Epson reset");
    EXPECT_EQ(session.app().settings().InitStr, "\x1B@");

    // A service that could not be reached at start-up (one slow to come up on a busy
    // machine) is tried again, as after a crash, and its failure is not shown twice.
    for (int tick = 1; tick < ResidentSession::FirstRestartDelay; ++tick)
        session.stateTick();
    std::ofstream(service) << "#!/bin/sh\nexec " MARLET_BINARY_DIR "/marlet-capture --socket "
                           << socket << " --fifo none --listen none \"$@\"\n";
    fs::permissions(service, fs::perms::owner_all);
    session.stateTick();
    EXPECT_GE(session.captureConnection(), 0);
    EXPECT_EQ(host.errors.size(), 1u);
    session.shutdown();
}

TEST_F(ResidentSessionTest, ShutdownWritesWhatTheDriverHoldsThenSavesTheSettings) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    store.setValue(MarletKey, "Capture", std::uint32_t{1});
    store.setValue(MarletKey, "Spool", service.queue);
    ResidentSession session(catalog, store, host, jobs, service.location());
    session.startUp();
    ASSERT_TRUE(host.errors.empty()) << host.errors.front();
    EXPECT_GE(session.captureConnection(), 0);

    session.app().setTimeOut(5);
    // An emulator that keeps its connection: no end of the job but the driver's quiet time.
    int sender = connectToPort(service.port);
    ASSERT_EQ(write(sender, "held in the buffer", 18), 18);
    {
        CaptureClient watcher(8, service.queue, service.location());
        EXPECT_TRUE(waitFor([&] { return watcher.heldBytes() == 18; }));
    }
    session.shutdown();
    close(sender);
    EXPECT_EQ(service.process->wait(), 0) << "the last close stops the driver";
    // A service that sees the sender close before it stops ends the job there: the bytes
    // are whole either way, in the queue file or in the ended one beside it.
    EXPECT_EQ(readFile(service.queue) + readFile(service.queue + ".ended"), "held in the buffer");
    EXPECT_EQ(store.value(MarletKey, "TimeOut"), StoredValue(std::uint32_t{5}));
}

namespace {

// The pid a wrapper of marlet-capture wrote as it started it, once it has changed.
pid_t nextServicePid(const std::string& pidFile, pid_t previous) {
    pid_t pid = 0;
    waitFor([&] {
        std::ifstream(pidFile) >> pid;
        return pid != 0 && pid != previous;
    });
    return pid;
}

// Waits until the connection reports something, as the faces' notifiers do.
bool connectionStirs(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, 5000) == 1;
}

} // namespace

TEST_F(ResidentSessionTest, ACaptureServiceThatDiesIsReportedAndStartedAgainWithABackOff) {
    // The session starts the service itself, through a wrapper that gives it this test's
    // socket and ports and writes down its pid.
    std::string socket = folder.file("capture.socket");
    std::string pidFile = folder.file("service.pid");
    std::string wrapper = folder.file("start-service");
    std::ofstream(wrapper) << "#!/bin/sh\necho $$ > " << pidFile << "\nexec " MARLET_BINARY_DIR
                           << "/marlet-capture --socket " << socket << " --fifo "
                           << folder.file("lpt1") << " --listen none \"$@\"\n";
    fs::permissions(wrapper, fs::perms::owner_all);
    store.setValue(MarletKey, "Capture", std::uint32_t{1});
    ResidentSession session(catalog, store, host, jobs, DriverLocation{socket, wrapper});
    session.startUp();
    ASSERT_TRUE(host.errors.empty()) << host.errors.front();
    pid_t first = nextServicePid(pidFile, 0);
    ASSERT_GT(first, 0);

    kill(first, SIGKILL);
    ASSERT_TRUE(connectionStirs(session.captureConnection()));
    session.takeCaptureNotices();
    EXPECT_EQ(host.errors, std::vector<std::string>{
                               "The capture service has stopped; it will be started again"});
    EXPECT_EQ(session.captureConnection(), -1) << "no face may spin on the dead connection";

    // One second of state ticks later it runs again.
    for (int tick = 1; tick < ResidentSession::FirstRestartDelay; ++tick)
        session.stateTick();
    EXPECT_EQ(session.captureConnection(), -1);
    session.stateTick();
    ASSERT_GE(session.captureConnection(), 0) << host.errors.back();
    pid_t second = nextServicePid(pidFile, first);
    EXPECT_NE(second, first);

    // Dying again soon after its start doubles the wait; the state tick notices by itself.
    kill(second, SIGKILL);
    ASSERT_TRUE(connectionStirs(session.captureConnection()));
    session.stateTick();
    EXPECT_EQ(session.captureConnection(), -1);
    for (int tick = 1; tick < 2 * ResidentSession::FirstRestartDelay; ++tick)
        session.stateTick();
    EXPECT_EQ(session.captureConnection(), -1);
    session.stateTick();
    EXPECT_GE(session.captureConnection(), 0);
    EXPECT_EQ(host.errors.size(), 2u);
    session.shutdown();
}
