#include "ControlServer.h"

#include "base/Error.h"
#include "capture/ControlFrames.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace marlet {

ControlServer::ControlServer(const std::string& path, CaptureDriver& driver)
    : m_path(path), m_driver(driver) {
    // Bound and listening under a name of its own, then renamed: a client that sees the
    // socket can connect at once. The service lock keeps that name to one service.
    const std::string bound = path + ".new";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (bound.size() >= sizeof(address.sun_path))
        throw Error("Cannot listen on " + path);
    bound.copy(address.sun_path, bound.size());
    m_listener = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // Only the user may load or steer the driver; the mask keeps others out from bind on.
    mode_t mask = umask(0177);
    ::unlink(bound.c_str());
    bool listening = m_listener >= 0 &&
                     bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     chmod(bound.c_str(), 0600) == 0 && listen(m_listener, 8) == 0 &&
                     rename(bound.c_str(), path.c_str()) == 0;
    umask(mask);
    if (!listening) {
        ::unlink(bound.c_str());
        if (m_listener >= 0)
            ::close(m_listener);
        throw Error("Cannot listen on " + path);
    }
}

ControlServer::~ControlServer() {
    // Gone from the folder first, so that a new client starts a new service.
    ::unlink(m_path.c_str());
    ::close(m_listener);
    for (int fd : std::vector<int>(m_connections))
        disconnect(fd);
}

void ControlServer::addPollFds(std::vector<pollfd>& fds) const {
    fds.push_back({m_listener, POLLIN, 0});
    for (int fd : m_connections)
        fds.push_back({fd, POLLIN, 0});
}

void ControlServer::serve(const std::vector<pollfd>& fds) {
    for (const pollfd& entry : fds) {
        if (entry.revents == 0)
            continue;
        if (entry.fd == m_listener) {
            accept();
        } else if (std::find(m_connections.begin(), m_connections.end(), entry.fd) !=
                   m_connections.end()) {
            if (!answer(entry.fd))
                disconnect(entry.fd);
        }
    }
}

void ControlServer::notifyAll(std::uint32_t wParam, std::uint32_t lParam) {
    std::vector<std::uint8_t> notice = control::packet(control::Notification);
    control::putNumber(notice, wParam);
    control::putNumber(notice, lParam);
    for (int fd : m_connections)
        send(fd, notice.data(), notice.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void ControlServer::accept() {
    for (;;) {
        int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        if (m_connections.size() >= MaxConnections) {
            std::vector<std::uint8_t> refusal = control::packet(control::Refused);
            send(fd, refusal.data(), refusal.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            ::close(fd);
            continue;
        }
        m_connections.push_back(fd);
        m_everConnected = true;
        m_driver.deviceControl(control::Open, {}, {});
    }
}

bool ControlServer::answer(int fd) {
    std::vector<std::uint8_t> request(control::MaxPacket + 1);
    ssize_t got = recv(fd, request.data(), request.size(), MSG_DONTWAIT);
    if (got < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (got == 0)
        return false;
    std::uint32_t result = control::Failure;
    std::vector<std::uint8_t> output;
    if (got >= 4 && static_cast<std::size_t>(got) <= control::MaxPacket) {
        std::uint32_t code = control::readNumber(request.data());
        std::span<const std::uint8_t> input(request.data() + 4, static_cast<std::size_t>(got) - 4);
        // Opening and closing belong to the connection itself, not to a request.
        if (code == control::ReadState) {
            output.resize(input.size());
            result = m_driver.deviceControl(code, input, output);
        } else if (code == control::ReadHeld) {
            output.resize(4);
            result = m_driver.deviceControl(code, input, output);
        } else if (code == control::WriteState) {
            result = m_driver.deviceControl(code, input, {});
        }
    }
    if (result != control::Success)
        output.clear();
    std::vector<std::uint8_t> reply = control::packet(result, output);
    return send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(reply.size());
}

void ControlServer::disconnect(int fd) {
    ::close(fd);
    std::erase(m_connections, fd);
    m_driver.deviceControl(control::Close, {}, {});
}

} // namespace marlet
