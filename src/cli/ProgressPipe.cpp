#include "ProgressPipe.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace marlet {

void ProgressPipe::showFrame(int frame) {
    char line[32];
    std::snprintf(line, sizeof line, "frame %d\n", frame);
    send(line);
}

void ProgressPipe::restoreIcon() {
    send("done\n");
}

void ProgressPipe::fileWritten(const std::string& path) {
    send(("wrote " + path + "\n").c_str());
}

void ProgressPipe::pageStarted(int page) {
    char line[32];
    std::snprintf(line, sizeof line, "page %d\n", page);
    send(line);
}

void ProgressPipe::pageLimitReached(int pages) {
    char line[32];
    std::snprintf(line, sizeof line, "held %d\n", pages);
    send(line);
}

void ProgressPipe::send(const char* line) {
    // One short write is atomic on a pipe; a closed pipe only loses the display.
    [[maybe_unused]] ssize_t ignored = ::write(m_fd, line, std::strlen(line));
}

} // namespace marlet
