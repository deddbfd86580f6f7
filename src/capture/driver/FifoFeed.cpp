#include "FifoFeed.h"

#include "base/Error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace marlet {

FifoFeed::FifoFeed(std::string path) : m_path(std::move(path)) {
    struct stat status {};
    if (lstat(m_path.c_str(), &status) == 0 && !S_ISFIFO(status.st_mode))
        ::unlink(m_path.c_str());
    if (mkfifo(m_path.c_str(), 0600) != 0 && errno != EEXIST)
        throw Error("Cannot create file " + m_path);
    open();
}

FifoFeed::~FifoFeed() {
    ::close(m_fd);
    ::unlink(m_path.c_str());
}

void FifoFeed::open() {
    // Read only, so that the last writer's close reaches us as the end of the stream; a
    // fresh open reports no hang-up until a writer has come and gone.
    m_fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        throw Error("Cannot create file " + m_path);
}

void FifoFeed::addPollFds(std::vector<pollfd>& fds) const {
    if (!m_buffer.waiting())
        fds.push_back({m_fd, POLLIN, 0});
}

bool FifoFeed::serve(const std::vector<pollfd>& fds, const FeedBuffer::Print& print) {
    if (m_buffer.waiting())
        m_buffer.drain(print);
    for (const pollfd& entry : fds) {
        if (entry.fd != m_fd || entry.revents == 0 || m_buffer.waiting())
            continue;
        FeedBuffer::Read read = m_buffer.fill(m_fd);
        if (read == FeedBuffer::Read::Closed) {
            // Every writer is gone and the pipe is empty: the job is whole. A writer that
            // wrote nothing ends no one's job.
            ::close(m_fd);
            open();
            return std::exchange(m_received, false);
        }
        m_received = m_received || read == FeedBuffer::Read::Data;
        m_buffer.drain(print);
    }
    return false;
}

} // namespace marlet
