// CaptureClient against the capture service binary: creation, the path field, Service's failures.

#include "capture/CaptureClient.h"
#include "base/Error.h"
#include "capture/CaptureSwitch.h"
#include "support/RunningCaptureService.h"

#include "support/MessageOf.h"

#include <gtest/gtest.h>

using namespace marlet;
using marlet::testing::messageOf;
using namespace marlet::testing;

namespace {

std::string pathOfLength(const std::string& folder, std::size_t length) {
    std::string path = folder + "/";
    path += std::string(length - path.size(), 'q');
    return path;
}

} // namespace

TEST(CaptureClientTest, CreationSendsTheWindowAndThePathAndKeepsWhatTheDriverReported) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    CaptureClient device(0x1234, "/tmp/q", service.location());
    device.readState();
    const StateBlock& state = device.state();
    EXPECT_EQ(state.window(), 0x1234u);
    EXPECT_EQ(state.path(), "/tmp/q");
    EXPECT_EQ(state.bytes()[1], 7) << "six characters and the zero";
    EXPECT_FALSE(state.captureOn()) << "creation alone does not capture";
    EXPECT_EQ(state.bytes()[StateBlock::TableOffset + 0xB3], 0xB3) << "the driver's table";
    EXPECT_EQ(state.lParam(), 0x4C4F5645u);
    EXPECT_EQ(state.wParam(), 0x49532E2Eu);
}

TEST(CaptureClientTest, PathsUpTo50CharactersReachTheDriverWhole) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    CaptureSwitch capture(1, service.location());

    std::string path49 = pathOfLength("/tmp", 49);
    capture.start(path49);
    capture.device()->readState();
    EXPECT_EQ(capture.device()->state().path(), path49);
    EXPECT_EQ(capture.device()->state().bytes()[1], 50);
    EXPECT_EQ(capture.device()->state().bytes()[51], 0);
    EXPECT_TRUE(capture.device()->state().captureOn());

    std::string path50 = pathOfLength("/tmp", 50);
    capture.start(path50);
    capture.device()->readState();
    EXPECT_EQ(capture.device()->state().path(), path50);
    EXPECT_EQ(capture.device()->state().bytes()[1], 50);
    EXPECT_EQ(capture.device()->state().bytes()[52], 0) << "no translation ends the path";
}

TEST(CaptureClientTest, ALongerPathFailsNamingItAndStartsNothing) {
    TempFolder folder;
    std::string path51 = pathOfLength("/tmp", 51);
    DriverLocation location{folder.file("capture.socket"), folder.file("marker-service")};
    EXPECT_EQ(messageOf([&] { CaptureClient(1, path51, location); }),
              "The queue file path " + path51 +
                  " is longer than 50 characters; capture needs a shorter one");
    CaptureSwitch capture(1, location);
    EXPECT_THROW(capture.start(path51), Error);
    EXPECT_FALSE(capture.running());
}

TEST(CaptureClientTest, AServiceThatCannotBeStartedIsLoadedIncorrectly) {
    TempFolder folder;
    DriverLocation location{folder.file("capture.socket"), folder.file("marlet-capture")};
    EXPECT_EQ(messageOf([&] { CaptureClient(1, "/tmp/q", location); }),
              folder.file("marlet-capture") + " loaded incorrectly.");
}

TEST(CaptureClientTest, ARefusedCallIsDriverUnaccessed) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    CaptureClient device(1, "/tmp/q", service.location());
    EXPECT_EQ(messageOf([&] { device.call(3); }), "Driver unaccessed. Service 3");
    EXPECT_EQ(messageOf([&] { device.call(0); }), "Driver unaccessed. Service 0");
    EXPECT_NO_THROW(device.writeState()) << "the connection survives a refusal";
}

TEST(CaptureClientTest, TheServiceIsStartedWhenNothingAnswersAndEndsWithTheLastClose) {
    TempFolder folder;
    setenv("XDG_RUNTIME_DIR", folder.file("run").c_str(), 1);
    setenv("MARLET_CAPTURE_LISTEN", "127.0.0.1:0", 1);
    DriverLocation location = DriverLocation::standard();
    location.servicePath = MARLET_BINARY_DIR "/marlet-capture";
    EXPECT_EQ(location.socketPath, folder.file("run") + "/marlet/capture.socket");
    pid_t servicePid = -1;
    {
        CaptureClient device(1, "/tmp/q", location);
        ucred peer{};
        socklen_t length = sizeof peer;
        ASSERT_EQ(getsockopt(device.fd(), SOL_SOCKET, SO_PEERCRED, &peer, &length), 0);
        servicePid = peer.pid;
        EXPECT_GT(servicePid, 0);
    }
    bool ended = waitFor([&] { return kill(servicePid, 0) != 0; });
    if (!ended)
        kill(servicePid, SIGKILL);
    EXPECT_TRUE(ended);
    unsetenv("MARLET_CAPTURE_LISTEN");
    unsetenv("XDG_RUNTIME_DIR");
}
