#include "FeedBuffer.h"

#include <cerrno>
#include <unistd.h>

namespace marlet {

namespace {

// A printer that timed out, or one that is off line, has taken nothing.
bool taken(std::uint8_t status) {
    return (status & 0x01) == 0;
}

} // namespace

FeedBuffer::Read FeedBuffer::fill(int fd) {
    if (waiting())
        return Read::Data;
    ssize_t got = read(fd, m_bytes.data(), m_bytes.size());
    if (got > 0) {
        m_begin = 0;
        m_end = static_cast<std::size_t>(got);
        return Read::Data;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return Read::Nothing;
    return Read::Closed;
}

void FeedBuffer::drain(const Print& print) {
    while (m_begin < m_end && taken(print(m_bytes[m_begin])))
        ++m_begin;
}

} // namespace marlet
