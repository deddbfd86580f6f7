#include "HeadlessResident.h"

#include "base/Error.h"

#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace marlet {

namespace {

int stopPipe[2] = {-1, -1};

} // namespace

HeadlessResident::HeadlessResident() {
    if (stopPipe[0] < 0 && pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Error("Cannot start the resident mode");
}

void HeadlessResident::stop() {
    if (stopPipe[1] >= 0) {
        char byte = 0;
        [[maybe_unused]] ssize_t ignored = write(stopPipe[1], &byte, 1);
    }
}

void HeadlessResident::reportError(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
}

void HeadlessResident::armQueueTimer(int milliseconds) {
    m_queueInterval = milliseconds;
    if (milliseconds > 0)
        m_nextQueueTick = Clock::now() + std::chrono::milliseconds(milliseconds);
    else
        m_nextQueueTick.reset();
}

void HeadlessResident::run(ResidentSession& session) {
    Clock::time_point nextStateTick = Clock::now();
    for (;;) {
        Clock::time_point until = nextStateTick;
        if (m_nextQueueTick && *m_nextQueueTick < until)
            until = *m_nextQueueTick;
        if (!wait(session, until))
            return;
        Clock::time_point now = Clock::now();
        if (m_nextQueueTick && now >= *m_nextQueueTick) {
            m_nextQueueTick = now + std::chrono::milliseconds(m_queueInterval);
            session.queueTick();
        }
        if (now >= nextStateTick) {
            nextStateTick = now + std::chrono::milliseconds(SpoolMonitor::StateInterval);
            session.stateTick();
        }
    }
}

// Sleeps until the time or a notice from the capture driver; false once stop() was called.
bool HeadlessResident::wait(ResidentSession& session, Clock::time_point until) {
    pollfd fds[2] = {{stopPipe[0], POLLIN, 0}, {session.captureConnection(), POLLIN, 0}};
    auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    int ready = poll(fds, 2, static_cast<int>(left > 0 ? left : 0));
    if (ready <= 0)
        return true;
    if (fds[0].revents != 0)
        return false;
    if (fds[1].revents != 0)
        session.takeCaptureNotices();
    return true;
}

} // namespace marlet
