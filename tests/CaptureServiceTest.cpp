// marlet-capture as emulators and Marlet meet it: the control socket, the TCP and FIFO
// printer ports, the queue file and the notification.

#include "base/Error.h"
#include "capture/CaptureSwitch.h"
#include "capture/ControlFrames.h"
#include "config/FileBytes.h"
#include "support/RunningCaptureService.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/un.h>

using namespace marlet;
using namespace marlet::testing;

namespace {

int connectRaw(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return fd;
}

// One request on a raw connection; the reply packet.
std::vector<std::uint8_t> call(int fd, std::uint32_t code, std::size_t inputSize) {
    std::vector<std::uint8_t> request =
        control::packet(code, std::vector<std::uint8_t>(inputSize, 0));
    send(fd, request.data(), request.size(), 0);
    std::vector<std::uint8_t> reply(8192);
    ssize_t got = recv(fd, reply.data(), reply.size(), 0);
    reply.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return reply;
}

// The next notification on a CaptureClient's connection, waiting up to five seconds.
std::vector<std::uint8_t> nextNotice(int fd) {
    pollfd entry{fd, POLLIN, 0};
    std::vector<std::uint8_t> notice(64);
    if (poll(&entry, 1, 5000) != 1)
        return {};
    ssize_t got = recv(fd, notice.data(), notice.size(), 0);
    notice.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return notice;
}

bool sendOn(int fd, const std::string& bytes) {
    return write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

// Every byte captured into queue, in order: the job its sender ended, then the queue.
std::string captured(const std::string& queue) {
    return readFileBytes(queue + ".ended").value_or("") + readFileBytes(queue).value_or("");
}

std::vector<std::uint8_t> expectedNotice() {
    std::vector<std::uint8_t> notice = control::packet(0x1992);
    control::putNumber(notice, 0x49532E2E);
    control::putNumber(notice, 0x4C4F5645);
    return notice;
}

} // namespace

TEST(CaptureServiceTest, TheControlSocketIsPrivateAndRefusesWhatIsNotTheProtocol) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    struct stat status {};
    ASSERT_EQ(stat(service.socket.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    int fd = connectRaw(service.socket);
    const std::vector<std::uint8_t> refused{0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(call(fd, 3, 321), refused);
    EXPECT_EQ(call(fd, 0, 321), refused) << "opening is the connection's own";
    EXPECT_EQ(call(fd, 0xFFFFFFFF, 321), refused);
    EXPECT_EQ(call(fd, 1, 320), refused);
    EXPECT_EQ(call(fd, 2, 322), refused);
    std::vector<std::uint8_t> state = call(fd, 1, 321);
    ASSERT_EQ(state.size(), 4u + 321u);
    EXPECT_EQ(control::readNumber(state.data()), 0u);
    EXPECT_EQ(state[4 + 53 + 200], 200) << "the table is the identity once started";
    EXPECT_EQ(control::readNumber(&state[4 + 309]), StateBlock::NoWindow);
    close(fd);
    EXPECT_EQ(service.process->wait(), 0) << "the last close ends the service";
}

TEST(CaptureServiceTest, ClosingTheConnectionEndsTheJobAtOnce) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    CaptureSwitch capture(7, service.location());
    capture.start(service.queue);
    std::string job = "\x1B@Invoice 1452\r\n\xC9\xCD\xBB\r\n\x0C";
    job += std::string(1, '\0') + "\xFF";
    ASSERT_TRUE(sendToPort(service.port, job));
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(service.queue + ".ended"); }));
    EXPECT_EQ(readFileBytes(service.queue + ".ended").value_or(""), job);
    EXPECT_FALSE(std::filesystem::exists(service.queue));
    EXPECT_EQ(capture.device()->heldBytes(), 0u);

    // The next job waits in the queue while the ended one is not printed: it is marked
    // once that one is gone, unless more bytes came to the queue meanwhile.
    ASSERT_TRUE(sendToPort(service.port, "second"));
    EXPECT_TRUE(waitFor([&] { return readFileBytes(service.queue).value_or("") == "second"; }));
    std::filesystem::remove(service.queue + ".ended");
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(service.queue + ".ended"); }));
    EXPECT_EQ(readFileBytes(service.queue + ".ended").value_or(""), "second");

    int sender = connectToPort(service.port);
    ASSERT_TRUE(sendOn(sender, "third"));
    EXPECT_TRUE(waitFor([&] { return readFileBytes(service.queue).value_or("") == "third"; }));
    close(sender);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(readFileBytes(service.queue).value_or(""), "third") << "not marked yet";
    ASSERT_TRUE(sendToPort(service.port, " and fourth"));
    EXPECT_TRUE(waitFor([&] {
        return captured(service.queue) == "second"
                                          "third and fourth";
    }));
    std::filesystem::remove(service.queue + ".ended");
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(service.queue + ".ended"); }));
    EXPECT_EQ(readFileBytes(service.queue + ".ended").value_or(""), "third and fourth")
        << "grown past its end, the third job goes with the fourth";
    capture.stop();
    EXPECT_EQ(service.process->wait(), 0);
}

TEST(CaptureServiceTest, AnOpenConnectionKeepsOneJobAcrossPausesUntilAResetAfterQuiet) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    CaptureSwitch capture(7, service.location());
    capture.start(service.queue);
    int sender = connectToPort(service.port);
    ASSERT_TRUE(sendOn(sender, "\x1B@Line 1\r\n"));
    // The quiet time of the driver's buffer, a tenth of a second or two, and the notice.
    EXPECT_EQ(nextNotice(capture.device()->fd()), expectedNotice());
    EXPECT_EQ(readFileBytes(service.queue).value_or(""), "\x1B@Line 1\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    ASSERT_TRUE(sendOn(sender, "Line 2 \x1B"
                               "E"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    ASSERT_TRUE(sendOn(sender, "\x1B"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(sendOn(sender, "@next job\r\n"));
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(service.queue + ".ended"); }));
    EXPECT_EQ(readFileBytes(service.queue + ".ended").value_or(""), "\x1B@Line 1\r\nLine 2 \x1B"
                                                                    "E")
        << "a pause is no end; a reset after one begins the next job";
    EXPECT_TRUE(
        waitFor([&] { return readFileBytes(service.queue).value_or("") == "\x1B@next job\r\n"; }));
    close(sender);
}

TEST(CaptureServiceTest, TheFifoIsAPrinterPortToo) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    CaptureSwitch capture(7, service.location());
    capture.start(service.queue);
    struct stat status {};
    ASSERT_EQ(stat(service.fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    {
        std::ofstream port(service.fifo, std::ios::binary);
        port << "from LPT1\r\n" << std::flush;
        EXPECT_EQ(nextNotice(capture.device()->fd()), expectedNotice());
        EXPECT_EQ(readFileBytes(service.queue).value_or(""), "from LPT1\r\n");
    }
    // The last writer's close ends the job.
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(service.queue + ".ended"); }));
    EXPECT_EQ(readFileBytes(service.queue + ".ended").value_or(""), "from LPT1\r\n");
    std::filesystem::remove(service.queue + ".ended");
    {
        std::ofstream port(service.fifo, std::ios::binary);
        port << "second job" << std::flush;
    }
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(service.queue + ".ended"); }));
    EXPECT_EQ(readFileBytes(service.queue + ".ended").value_or(""), "second job");
}

TEST(CaptureServiceTest, StoppingCaptureWritesWhatTheDriverHolds) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    CaptureSwitch capture(7, service.location());
    capture.start(service.queue);
    int sender = connectToPort(service.port);
    ASSERT_TRUE(sendOn(sender, "held in the buffer"));
    // The service has read the bytes; the quiet time has not passed.
    ASSERT_TRUE(waitFor([&] { return capture.device()->heldBytes() == 18; }));
    capture.stop();
    EXPECT_EQ(service.process->wait(), 0);
    EXPECT_EQ(readFileBytes(service.queue).value_or(""), "held in the buffer");
    close(sender);
}

TEST(CaptureServiceTest, WithCaptureOffAndNoPassThroughThePortTakesNoData) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    CaptureClient device(7, service.queue, service.location());
    ASSERT_TRUE(sendToPort(service.port, "waits for capture"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    device.state().setCapture(true);
    device.writeState();
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(service.queue + ".ended"); }));
    EXPECT_EQ(readFileBytes(service.queue + ".ended").value_or(""), "waits for capture")
        << "nothing was lost while the port took no data, and the sender's close ends it";
}

TEST(CaptureServiceTest, WithCaptureOffBytesPassThroughTranslated) {
    TempFolder output;
    std::string printer = output.file("lp0");
    RunningCaptureService service({"--pass-through", printer});
    ASSERT_TRUE(service.up);
    CaptureClient device(7, service.queue, service.location());
    device.readState();
    device.state().setTranslating(true);
    device.state().bytes()[StateBlock::TableOffset + 0xC4] = '-';
    device.writeState();
    ASSERT_TRUE(sendToPort(service.port, "\xC4\xC4 ok"));
    EXPECT_TRUE(waitFor([&] { return readFileBytes(printer).value_or("").size() == 5; }));
    EXPECT_EQ(readFileBytes(printer).value_or(""), "-- ok");
    EXPECT_FALSE(std::filesystem::exists(service.queue));
}

TEST(CaptureServiceTest, ASecondServiceForTheSameSocketRefusesToStart) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    ChildProcess second(MARLET_BINARY_DIR "/marlet-capture",
                        {"--socket", service.socket, "--listen", "none", "--fifo", "none"}, {},
                        service.folder.file("second.log"));
    EXPECT_EQ(second.wait(), 1);
    EXPECT_EQ(readFileBytes(service.folder.file("second.log")).value_or(""),
              "marlet-capture: The capture service is already running\n");
}

TEST(CaptureServiceTest, ConnectionsPastTheLimitAreRefusedWithAMessage) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    std::vector<int> connections;
    for (std::size_t i = 0; i < 64; ++i) {
        connections.push_back(connectRaw(service.socket));
        ASSERT_EQ(call(connections.back(), control::ReadState, 321).size(), 4u + 321u);
    }
    // The refusal must reach the client however its first request crosses it.
    for (int attempt = 0; attempt < 50; ++attempt) {
        try {
            CaptureClient refused(7, service.queue, service.location());
            FAIL() << "a 65th connection was taken";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "The capture service has too many connections");
        }
    }
    close(connections.back());
    connections.pop_back();
    EXPECT_TRUE(waitFor([&] {
        try {
            CaptureClient taken(7, service.queue, service.location());
            return true;
        } catch (const Error&) {
            return false;
        }
    }));
    for (int fd : connections)
        close(fd);
}

TEST(CaptureServiceTest, AnIdleSenderIsLetGoSoTheNextOneIsServed) {
    setenv("MARLET_CAPTURE_IDLE_TIMEOUT", "1", 1);
    RunningCaptureService service;
    unsetenv("MARLET_CAPTURE_IDLE_TIMEOUT");
    ASSERT_TRUE(service.up);
    CaptureSwitch capture(7, service.location());
    capture.start(service.queue);
    // An emulator that printed and keeps its connection open.
    int idle = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(service.port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(idle, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(write(idle, "first sender\r\n", 14), 14);
    ASSERT_TRUE(sendToPort(service.port, "second sender\r\n"));
    EXPECT_TRUE(
        waitFor([&] { return captured(service.queue).size() == 29; }, std::chrono::seconds(5)));
    EXPECT_EQ(readFileBytes(service.queue + ".ended").value_or(""), "first sender\r\n")
        << "letting a sender go ends its job";
    EXPECT_EQ(readFileBytes(service.queue).value_or(""), "second sender\r\n");
    char byte;
    EXPECT_EQ(read(idle, &byte, 1), 0) << "the idle sender was closed";
    close(idle);
}

TEST(CaptureServiceTest, AFullDiskHoldsTheBytesAndWritesEachOnceWhenThereIsRoom) {
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    TempFolder disk;
    std::string mountPoint = disk.file("disk");
    mkdir(mountPoint.c_str(), 0700);
    if (mount("marlet-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct Unmount {
        std::string path;
        ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
    } unmount{mountPoint};

    // Two pages free: the first write of the buffer fits, the second only in part.
    std::string filler = mountPoint + "/filler";
    {
        struct statvfs room {};
        statvfs(mountPoint.c_str(), &room);
        std::ofstream(filler, std::ios::binary)
            << std::string(room.f_bavail * room.f_bsize - 8192, 'x');
    }
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    std::string queue = mountPoint + "/prnspl";
    CaptureSwitch capture(7, service.location());
    capture.start(queue);
    std::string job;
    for (int line = 0; job.size() < 20000; ++line)
        job += "Line " + std::to_string(line) + " of a long job\r\n";
    ASSERT_TRUE(sendToPort(service.port, job));
    std::this_thread::sleep_for(std::chrono::seconds(3));
    std::string partial = captured(queue);
    EXPECT_LT(partial.size(), job.size());
    EXPECT_EQ(partial, job.substr(0, partial.size())) << "nothing twice, nothing skipped";

    std::filesystem::remove(filler);
    EXPECT_TRUE(
        waitFor([&] { return captured(queue).size() >= job.size(); }, std::chrono::seconds(10)));
    EXPECT_EQ(captured(queue), job);
}

TEST(CaptureServiceTest, TheClientSeesWhatTheDriverStillHolds) {
    RunningCaptureService service;
    ASSERT_TRUE(service.up);
    CaptureSwitch capture(7, service.location());
    capture.start(service.queue);
    int sender = connectToPort(service.port);
    ASSERT_TRUE(sendOn(sender, "tail of a job"));
    EXPECT_TRUE(waitFor([&] { return capture.device()->heldBytes() == 13; }));
    EXPECT_EQ(nextNotice(capture.device()->fd()), expectedNotice());
    EXPECT_EQ(capture.device()->heldBytes(), 0u);
    EXPECT_EQ(readFileBytes(service.queue).value_or(""), "tail of a job");
    close(sender);
}
