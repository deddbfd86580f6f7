#include "FifoFeed.h"

#include "base/Error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

FifoFeed::FifoFeed(std::string path) : m_path(std::move(path)) {
    struct stat status {};
    if (lstat(m_path.c_str(), &status) == 0 && !S_ISFIFO(status.st_mode))
        ::unlink(m_path.c_str());
    if (mkfifo(m_path.c_str(), 0600) != 0 && errno != EEXIST)
        throw Error("Cannot create file " + m_path);
    // Held open for writing too, so that a writer closing its end is no end of stream.
    m_fd = ::open(m_path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        throw Error("Cannot create file " + m_path);
}

FifoFeed::~FifoFeed() {
    ::close(m_fd);
    ::unlink(m_path.c_str());
}

void FifoFeed::addPollFds(std::vector<pollfd>& fds) const {
    if (!m_buffer.waiting())
        fds.push_back({m_fd, POLLIN, 0});
}

void FifoFeed::serve(const std::vector<pollfd>& fds, const FeedBuffer::Print& print) {
    if (m_buffer.waiting())
        m_buffer.drain(print);
    for (const pollfd& entry : fds) {
        if (entry.fd == m_fd && entry.revents != 0 && !m_buffer.waiting()) {
            m_buffer.fill(m_fd);
            m_buffer.drain(print);
        }
    }
}

} // namespace marlet
