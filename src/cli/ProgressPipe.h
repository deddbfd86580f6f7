#pragma once

#include "render/ProgressDisplay.h"

namespace marlet {

/// A job's progress as lines on a file descriptor, for the resident app that runs the job:
/// "frame N" for each of the sixteen steps (0 to 15) and "done" at the end.
class ProgressPipe final : public ProgressDisplay {
public:
    /// Writes to fd, which stays open; a reader that went away is not an error.
    explicit ProgressPipe(int fd) : m_fd(fd) {}

    void showFrame(int frame) override;
    void restoreIcon() override;

private:
    void send(const char* line);

    int m_fd;
};

} // namespace marlet
