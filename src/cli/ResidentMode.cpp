#include "ResidentMode.h"

#include "base/Error.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace marlet {

namespace {

int stopPipe[2] = {-1, -1};

// The capture driver notifies this window number after its timed writes.
std::uint32_t windowNumber() {
    return static_cast<std::uint32_t>(getpid());
}

} // namespace

ResidentMode::ResidentMode(Application& app)
    : m_app(app), m_monitor(app.settings(), *this), m_capture(windowNumber()) {
    if (stopPipe[0] < 0 && pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Error("Cannot start the resident mode");
}

void ResidentMode::stop() {
    if (stopPipe[1] >= 0) {
        char byte = 0;
        [[maybe_unused]] ssize_t ignored = write(stopPipe[1], &byte, 1);
    }
}

void ResidentMode::reportError(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
}

void ResidentMode::setQueueInterval(int milliseconds) {
    m_queueInterval = milliseconds;
    if (milliseconds > 0)
        m_nextQueueTick = Clock::now() + std::chrono::milliseconds(milliseconds);
    else
        m_nextQueueTick.reset();
}

void ResidentMode::startCapture() {
    if (!m_app.settings().Capture)
        return;
    // A capture that cannot start is reported; the rest of start-up goes on.
    try {
        m_capture.start(m_app.settings().Spool);
    } catch (const std::exception& e) {
        reportError(e.what());
    }
}

void ResidentMode::run() {
    startCapture();
    setQueueInterval(m_app.queueInterval());
    m_nextStateTick = Clock::now();
    while (!m_stopping) {
        Clock::time_point until = m_nextStateTick;
        if (m_nextQueueTick && *m_nextQueueTick < until)
            until = *m_nextQueueTick;
        wait(until);
        if (m_stopping)
            break;
        Clock::time_point now = Clock::now();
        if (m_nextQueueTick && now >= *m_nextQueueTick) {
            m_nextQueueTick = now + std::chrono::milliseconds(m_queueInterval);
            m_monitor.queueTick();
        }
        if (now >= m_nextStateTick) {
            m_nextStateTick = now + std::chrono::milliseconds(SpoolMonitor::StateInterval);
            m_monitor.stateTick();
        }
    }
    // As at exit: the driver writes what it holds, then the settings are written once.
    m_capture.stop();
    m_app.saveSettings();
}

void ResidentMode::wait(Clock::time_point until) {
    pollfd fds[2] = {{stopPipe[0], POLLIN, 0}, {-1, POLLIN, 0}};
    if (TVxD* device = m_capture.device())
        fds[1].fd = device->fd();
    auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    int ready = poll(fds, 2, static_cast<int>(left > 0 ? left : 0));
    if (ready <= 0)
        return;
    if (fds[0].revents != 0)
        m_stopping = true;
    // The driver's notice gets the default handling: the queue timer finds the job.
    if (fds[1].revents != 0 && m_capture.device())
        m_capture.device()->takeNotifications();
}

} // namespace marlet
