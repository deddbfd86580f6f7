#pragma once

#include "CaptureDriver.h"

#include <poll.h>
#include <string>
#include <vector>

namespace marlet {

/// The capture service's control socket: each connection is an open handle on the
/// driver, its packets are device-control calls, and the driver's notifications go to
/// every connection.
class ControlServer {
public:
    /// More connections than this are refused: no one user runs that many programs.
    static constexpr std::size_t MaxConnections = 64;

    /// Listens on path, readable and writable by the user alone. Fails with "Cannot listen
    /// on PATH".
    ControlServer(const std::string& path, CaptureDriver& driver);
    /// Closes every connection (the driver sees each close) and removes the socket.
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    /// The descriptors to wait on, appended to fds.
    void addPollFds(std::vector<pollfd>& fds) const;
    /// Serves whatever the descriptors in fds report.
    void serve(const std::vector<pollfd>& fds);
    /// Sends a notification to every connection; one that cannot take it now misses it.
    void notifyAll(std::uint32_t wParam, std::uint32_t lParam);

    std::size_t connections() const { return m_connections.size(); }
    /// Whether any connection was ever made.
    bool everConnected() const { return m_everConnected; }

private:
    void accept();
    bool answer(int fd);
    void disconnect(int fd);

    std::string m_path;
    CaptureDriver& m_driver;
    int m_listener = -1;
    std::vector<int> m_connections;
    bool m_everConnected = false;
};

} // namespace marlet
