#include "TcpFeed.h"

#include "base/Error.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace marlet {

namespace {

sockaddr_in parseAddress(const std::string& text) {
    std::size_t colon = text.rfind(':');
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (colon == std::string::npos ||
        inet_pton(AF_INET, text.substr(0, colon).c_str(), &address.sin_addr) != 1)
        throw Error("Cannot listen on " + text);
    try {
        std::size_t used = 0;
        int port = std::stoi(text.substr(colon + 1), &used);
        if (used != text.size() - colon - 1 || port < 0 || port > 65535)
            throw Error("Cannot listen on " + text);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
    } catch (const std::logic_error&) {
        throw Error("Cannot listen on " + text);
    }
    return address;
}

} // namespace

TcpFeed::TcpFeed(const std::string& text, std::chrono::seconds idleTime) : m_idleTime(idleTime) {
    sockaddr_in address = parseAddress(text);
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int yes = 1;
    socklen_t length = sizeof address;
    if (m_listener < 0 || setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 8) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listener >= 0)
            ::close(m_listener);
        throw Error("Cannot listen on " + text);
    }
    m_port = ntohs(address.sin_port);
}

TcpFeed::~TcpFeed() {
    closeSender();
    ::close(m_listener);
}

void TcpFeed::addPollFds(std::vector<pollfd>& fds) const {
    if (m_buffer.waiting())
        return;
    if (m_sender < 0) {
        fds.push_back({m_listener, POLLIN, 0});
        return;
    }
    fds.push_back({m_sender, POLLIN, 0});
    // A sender waiting in the listen queue wakes us only once this one has gone quiet.
    if (senderIdle())
        fds.push_back({m_listener, POLLIN, 0});
}

bool TcpFeed::senderIdle() const {
    return m_sender >= 0 && !m_buffer.waiting() && Clock::now() - m_lastHeard >= m_idleTime;
}

bool TcpFeed::serve(const std::vector<pollfd>& fds, const FeedBuffer::Print& print) {
    bool ended = false;
    if (m_buffer.waiting())
        m_buffer.drain(print);
    for (const pollfd& entry : fds) {
        if (entry.revents == 0)
            continue;
        if (entry.fd == m_listener && m_sender >= 0 && senderIdle()) {
            // All it sent is with the port already; the next sender's job goes through.
            ended = std::exchange(m_received, false);
            closeSender();
        }
        if (entry.fd == m_listener && m_sender < 0) {
            m_sender = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            m_senderDone = false;
            m_lastHeard = Clock::now();
        } else if (entry.fd == m_sender && !m_buffer.waiting()) {
            FeedBuffer::Read read = m_buffer.fill(m_sender);
            if (read == FeedBuffer::Read::Closed)
                m_senderDone = true;
            m_received = m_received || read == FeedBuffer::Read::Data;
            m_lastHeard = Clock::now();
            m_buffer.drain(print);
        }
    }
    // The next sender is served once the last byte of this one has gone to the port.
    if (m_senderDone && !m_buffer.waiting()) {
        // A connection that sent nothing (a port probe) ends no one's job.
        ended = std::exchange(m_received, false) || ended;
        closeSender();
    }
    return ended;
}

void TcpFeed::closeSender() {
    if (m_sender >= 0)
        ::close(m_sender);
    m_sender = -1;
    m_senderDone = false;
}

} // namespace marlet
