#pragma once

#include "FeedBuffer.h"

#include <chrono>
#include <cstdint>
#include <poll.h>
#include <string>
#include <vector>

namespace marlet {

/// Raw port printing over TCP (the "port 9100" protocol): one sender at a time, as a
/// printer port serves one; the next waits in the listen queue until the first is done, or
/// until the first has been silent for the idle time: then it is let go.
class TcpFeed {
public:
    using Clock = std::chrono::steady_clock;

    /// Listens on address ("127.0.0.1:9100"; port 0 picks a free one). Fails with
    /// "Cannot listen on ADDRESS".
    TcpFeed(const std::string& address, std::chrono::seconds idleTime);
    ~TcpFeed();
    TcpFeed(const TcpFeed&) = delete;
    TcpFeed& operator=(const TcpFeed&) = delete;

    /// The port listened on.
    std::uint16_t port() const { return m_port; }
    /// The descriptors to wait on, appended to fds.
    void addPollFds(std::vector<pollfd>& fds) const;
    /// Accepts a sender, reads its bytes and offers them to the port. True when a sender's
    /// job ended: it closed its connection, or was let go, after its last byte was taken.
    bool serve(const std::vector<pollfd>& fds, const FeedBuffer::Print& print);
    /// Whether bytes wait for a port that refused them.
    bool blocked() const { return m_buffer.waiting(); }

private:
    void closeSender();
    bool senderIdle() const;

    std::chrono::seconds m_idleTime;
    Clock::time_point m_lastHeard;
    int m_listener = -1;
    int m_sender = -1;
    bool m_senderDone = false;
    // The sender has sent bytes.
    bool m_received = false;
    std::uint16_t m_port = 0;
    FeedBuffer m_buffer;
};

} // namespace marlet
