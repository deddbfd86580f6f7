#pragma once

#include "FeedBuffer.h"

#include <poll.h>
#include <string>
#include <vector>

namespace marlet {

/// A FIFO that stands for a printer port: what an emulator writes into it is printed. The
/// last writer closing its end ends the job.
class FifoFeed {
public:
    /// Makes the FIFO at path (mode 0600) and opens it. Fails with "Cannot create file".
    explicit FifoFeed(std::string path);
    /// Closes and removes the FIFO.
    ~FifoFeed();
    FifoFeed(const FifoFeed&) = delete;
    FifoFeed& operator=(const FifoFeed&) = delete;

    /// The descriptors to wait on, appended to fds.
    void addPollFds(std::vector<pollfd>& fds) const;
    /// Reads the writers' bytes and offers them to the port. True when the last writer
    /// closed its end after its last byte was taken.
    bool serve(const std::vector<pollfd>& fds, const FeedBuffer::Print& print);
    /// Whether bytes wait for a port that refused them.
    bool blocked() const { return m_buffer.waiting(); }

private:
    void open();

    std::string m_path;
    int m_fd = -1;
    // Bytes came since the last writer's close.
    bool m_received = false;
    FeedBuffer m_buffer;
};

} // namespace marlet
