#include "CaptureClient.h"

#include "CapturePaths.h"
#include "ControlFrames.h"
#include "ServiceLauncher.h"
#include "base/Error.h"
#include "base/ProgramFolder.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace marlet {

namespace {

constexpr auto ServiceStartTime = std::chrono::seconds(5);

int connectTo(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return -1;
    path.copy(address.sun_path, path.size());
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The service needs a moment to put its socket up after it was started.
int connectWhenUp(const std::string& path) {
    auto deadline = std::chrono::steady_clock::now() + ServiceStartTime;
    for (;;) {
        int fd = connectTo(path);
        if (fd >= 0 || std::chrono::steady_clock::now() >= deadline)
            return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

DriverLocation DriverLocation::standard() {
    return {captureSocketPath(), (programFolder() / "marlet-capture").string()};
}

CaptureClient::CaptureClient(std::uint32_t window, const std::string& queuePath,
                             const DriverLocation& location) {
    // A cut path must not even start the service.
    StateBlock().setPath(queuePath);
    // A service that is just ending after its last close may still take a connection
    // and then drop it, before or after it answered the first call: the second round
    // starts a fresh one.
    for (int round = 0;; ++round) {
        m_fd = connectTo(location.socketPath);
        if (m_fd < 0 && startService(location.servicePath))
            m_fd = connectWhenUp(location.socketPath);
        if (m_fd < 0)
            throw Error(location.servicePath + " loaded incorrectly.");
        try {
            readState();
            m_state.setWindow(window);
            m_state.setPath(queuePath);
            writeState();
            return;
        } catch (const Error&) {
            ::close(m_fd);
            if (round == 1)
                throw;
        }
    }
}

CaptureClient::~CaptureClient() {
    ::close(m_fd);
}

void CaptureClient::call(std::uint32_t code) {
    std::vector<std::uint8_t> reply = exchange(code, m_state.bytes());
    if (code == control::ReadState) {
        if (reply.size() != 4 + StateBlock::Size)
            throw Error("Driver unaccessed. Service " + std::to_string(code));
        std::copy(reply.begin() + 4, reply.end(), m_state.bytes().begin());
    }
}

std::uint32_t CaptureClient::heldBytes() {
    std::vector<std::uint8_t> reply = exchange(control::ReadHeld, {});
    if (reply.size() != 8)
        throw Error("Driver unaccessed. Service " + std::to_string(control::ReadHeld));
    return control::readNumber(reply.data() + 4);
}

// Sends one request and returns its reply, passing over the notices that come first.
std::vector<std::uint8_t> CaptureClient::exchange(std::uint32_t code,
                                                  std::span<const std::uint8_t> input) {
    const Error failed("Driver unaccessed. Service " + std::to_string(code));
    std::vector<std::uint8_t> request = control::packet(code, input);
    // A refused connection is closed at once: its refusal may be all there is to read.
    const bool sent = send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                      static_cast<ssize_t>(request.size());
    std::vector<std::uint8_t> reply(control::MaxPacket);
    for (;;) {
        ssize_t got = recv(m_fd, reply.data(), reply.size(), sent ? 0 : MSG_DONTWAIT);
        // A service that refused us closed with our request unread: the reset is reported
        // once, ahead of the refusal still queued behind it.
        if (got < 0 && (errno == EINTR || errno == ECONNRESET))
            continue;
        if (got < 4)
            throw failed;
        std::uint32_t result = control::readNumber(reply.data());
        if (result == control::Notification)
            continue;
        if (result == control::Refused)
            throw Error("The capture service has too many connections");
        if (result != 0 || !sent)
            throw failed;
        reply.resize(static_cast<std::size_t>(got));
        return reply;
    }
}

bool CaptureClient::takeNotifications() {
    std::uint8_t notice[64];
    for (;;) {
        ssize_t got = recv(m_fd, notice, sizeof notice, MSG_DONTWAIT);
        if (got > 0)
            continue;
        if (got < 0 && errno == EINTR)
            continue;
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

} // namespace marlet
