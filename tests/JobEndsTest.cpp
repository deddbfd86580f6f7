// Where the capture service ends a job, on the service's own host with a real queue file
// and the port's times given by the test.

#include "capture/driver/JobEnds.h"
#include "capture/driver/ServiceHost.h"
#include "config/FileBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace marlet;
namespace fs = std::filesystem;

namespace {

using Clock = JobEnds::Clock;
using std::chrono::milliseconds;

class JobEndsTest : public ::testing::Test {
protected:
    JobEndsTest() {
        driver.deviceControl(control::Open, {}, {});
        StateBlock state = driver.state();
        state.setCapture(true);
        state.setPath(queue);
        driver.deviceControl(control::WriteState, state.bytes(), {});
    }

    // The bytes as the service's feeds hand them to the port, all at the time at.
    void send(const std::string& bytes, Clock::time_point at) {
        for (char c : bytes) {
            auto byte = static_cast<std::uint8_t>(c);
            ends.offering(byte);
            if ((host.printCharacter(byte) & CaptureDriver::PrinterTimeOut) == 0)
                ends.taken(byte, at);
        }
    }

    std::string ended() const { return readFileBytes(queue + ".ended").value_or(""); }
    std::string queued() const { return readFileBytes(queue).value_or(""); }

    TempFolder folder;
    std::string queue = folder.file("prnspl");
    ServiceHost host{-1, nullptr};
    CaptureDriver driver{host};
    JobEnds ends{driver};
    Clock::time_point start = Clock::now();
};

} // namespace

TEST_F(JobEndsTest, AResetAfterAQuietSecondBeginsTheNextJob) {
    struct Case {
        const char* name;
        std::string next;
        milliseconds quiet;
        bool ends;
    };
    const std::vector<Case> cases = {
        {"ESC @ after a quiet second", "\x1B@Next\r\n", milliseconds(1000), true},
        {"ESC E after a quiet second",
         "\x1B"
         "ENext\r\n",
         milliseconds(1500), true},
        {"ESC @ after a short pause", "\x1B@Next\r\n", milliseconds(999), false},
        {"another command after a quiet second",
         "\x1B"
         "4Next\r\n",
         milliseconds(1000), false},
        {"text, then a reset", "N\x1B@ext\r\n", milliseconds(1000), false},
    };
    for (const Case& c : cases) {
        fs::remove(queue);
        fs::remove(queue + ".ended");
        send("Job\r\n", start);
        // The driver's quiet time has written the job to the queue.
        driver.writeHeld();
        Clock::time_point later = start + c.quiet;
        send(c.next, later);
        driver.writeHeld();
        EXPECT_EQ(ended(), c.ends ? "Job\r\n" : "") << c.name;
        EXPECT_EQ(queued(), c.ends ? c.next : "Job\r\n" + c.next) << c.name;
        start = later + milliseconds(5000);
    }

    // The reset must still wait in the driver: one already written belongs to the job.
    fs::remove(queue);
    send("Job\r\n", start);
    driver.writeHeld();
    send("\x1B", start + milliseconds(2000));
    driver.writeHeld();
    send("@", start + milliseconds(2000));
    EXPECT_EQ(ended(), "");
}

TEST_F(JobEndsTest, AFormFeedGoesToTheQueueAtOnce) {
    send("page 1\x0Cpage 2", start);
    EXPECT_EQ(queued(), "page 1\x0C") << "for the end-of-page check; the rest waits";
    EXPECT_EQ(driver.count(), 6u);
    EXPECT_FALSE(ends.pending());
}

TEST_F(JobEndsTest, TheSendersEndMarksTheJobOrTriesAgainUntilTheNextJobComes) {
    send("first", start);
    ends.senderDone();
    EXPECT_EQ(ended(), "first") << "written and marked at once";
    EXPECT_FALSE(fs::exists(queue));

    send("second", start);
    ends.senderDone();
    EXPECT_EQ(queued(), "second") << "the first still waits to print";
    EXPECT_TRUE(ends.pending());
    ends.retry();
    EXPECT_TRUE(ends.pending());
    fs::remove(queue + ".ended");
    ends.retry();
    EXPECT_FALSE(ends.pending());
    EXPECT_EQ(ended(), "second");

    send("third", start);
    ends.senderDone();
    EXPECT_TRUE(ends.pending());
    send(" and fourth", start);
    driver.writeHeld();
    fs::remove(queue + ".ended");
    ends.retry();
    EXPECT_FALSE(ends.pending());
    EXPECT_FALSE(fs::exists(queue + ".ended")) << "grown past its end: one job with the next";
    EXPECT_EQ(queued(), "third and fourth");

    ends.senderDone();
    EXPECT_EQ(ended(), "third and fourth");
    ends.senderDone();
    EXPECT_FALSE(ends.pending()) << "no queue file: nothing to mark";
}

TEST_F(JobEndsTest, WithCaptureOffNothingIsMarked) {
    StateBlock state = driver.state();
    state.setCapture(false);
    driver.deviceControl(control::WriteState, state.bytes(), {});
    send("passed through", start);
    ends.senderDone();
    EXPECT_FALSE(fs::exists(queue));
    EXPECT_FALSE(fs::exists(queue + ".ended"));
}
