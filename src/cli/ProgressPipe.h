#pragma once

#include "render/ProgressDisplay.h"

#include <string>

namespace marlet {

/// A job's progress as lines on a file descriptor, for the resident app that runs the job:
/// "frame N" for each of the sixteen steps (0 to 15), "done" at the end, "page N" as each
/// page starts, "wrote PATH" for each file the PDF printer wrote, and "held N" when the
/// job waits at the page limit for the app's answer.
class ProgressPipe final : public ProgressDisplay {
public:
    /// Writes to fd, which stays open; a reader that went away is not an error.
    explicit ProgressPipe(int fd) : m_fd(fd) {}

    void showFrame(int frame) override;
    void restoreIcon() override;
    /// Names a file the PDF printer wrote, so that the app can tell the user where it is.
    void fileWritten(const std::string& path);
    /// Tells that page number page (from 1) starts.
    void pageStarted(int page);
    /// Tells that the job has started pages pages, the page limit, and waits.
    void pageLimitReached(int pages);

private:
    void send(const char* line);

    int m_fd;
};

} // namespace marlet
