#include "CaptureService.h"

#include "ControlServer.h"
#include "FifoFeed.h"
#include "TcpFeed.h"
#include "base/Error.h"
#include "capture/CapturePaths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace marlet {

namespace {

int stopPipe[2] = {-1, -1};

constexpr auto RetryPeriod = std::chrono::milliseconds(100);

int lockService(const std::string& socketPath) {
    std::string path = socketPath + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        throw Error("Cannot create file " + path);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw Error("The capture service is already running");
    }
    return fd;
}

} // namespace

CaptureService::CaptureService(const ServiceOptions& options) : m_options(options) {
    makeCaptureRuntimeFolder();
    m_lockFd = lockService(options.socket);
    if (pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Error("Cannot start the capture service");
    if (options.passThrough) {
        m_passThroughFd =
            ::open(options.passThrough->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (m_passThroughFd < 0)
            throw Error("Cannot open file " + *options.passThrough);
    }
    m_host = std::make_unique<ServiceHost>(m_passThroughFd,
                                           [this](std::uint32_t, std::uint32_t, std::uint32_t w,
                                                  std::uint32_t l) { m_control->notifyAll(w, l); });
    m_driver = std::make_unique<CaptureDriver>(*m_host);
    m_jobEnds = std::make_unique<JobEnds>(*m_driver);
    // The ports first: once the control socket exists, the service is wholly up.
    if (options.listen)
        m_tcp =
            std::make_unique<TcpFeed>(*options.listen, std::chrono::seconds(options.idleTimeout));
    if (options.fifo)
        m_fifo = std::make_unique<FifoFeed>(*options.fifo);
    m_control = std::make_unique<ControlServer>(options.socket, *m_driver);
    m_started = ServiceHost::Clock::now();
}

CaptureService::~CaptureService() {
    m_fifo.reset();
    m_tcp.reset();
    // Closing the connections stops the driver, which writes what it still holds.
    m_control.reset();
    m_driver.reset();
    if (m_passThroughFd >= 0)
        ::close(m_passThroughFd);
    for (int& fd : stopPipe) {
        ::close(fd);
        fd = -1;
    }
    ::close(m_lockFd);
}

void CaptureService::stop() {
    if (stopPipe[1] >= 0) {
        char byte = 0;
        [[maybe_unused]] ssize_t ignored = write(stopPipe[1], &byte, 1);
    }
}

bool CaptureService::finished() const {
    if (m_control->everConnected())
        return m_control->connections() == 0;
    if (m_options.firstConnectionTimeout == 0)
        return false;
    return ServiceHost::Clock::now() - m_started >=
           std::chrono::seconds(m_options.firstConnectionTimeout);
}

void CaptureService::run() {
    FeedBuffer::Print print = [this](std::uint8_t byte) {
        m_jobEnds->offering(byte);
        std::uint8_t status = m_host->printCharacter(byte);
        if ((status & CaptureDriver::PrinterTimeOut) == 0)
            m_jobEnds->taken(byte, ServiceHost::Clock::now());
        return status;
    };
    std::vector<pollfd> fds;
    while (!finished()) {
        fds.clear();
        fds.push_back({stopPipe[0], POLLIN, 0});
        m_control->addPollFds(fds);
        if (m_tcp)
            m_tcp->addPollFds(fds);
        if (m_fifo)
            m_fifo->addPollFds(fds);

        auto now = ServiceHost::Clock::now();
        auto wake = now + std::chrono::seconds(1);
        if (auto timer = m_host->nextTimer())
            wake = std::min(wake, *timer);
        // A port that refused bytes is offered them again soon, and a job's end that could
        // not be marked is tried again.
        if ((m_tcp && m_tcp->blocked()) || (m_fifo && m_fifo->blocked()) || m_jobEnds->pending())
            wake = std::min(wake, now + RetryPeriod);
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
        if (poll(fds.data(), fds.size(), static_cast<int>(std::max<long long>(wait, 0))) < 0 &&
            errno != EINTR)
            throw Error("Cannot wait for the printer ports");
        if (fds[0].revents != 0)
            return;

        // Bytes that came before a close are printed before the driver stops.
        if (m_tcp && m_tcp->serve(fds, print))
            m_jobEnds->senderDone();
        if (m_fifo && m_fifo->serve(fds, print))
            m_jobEnds->senderDone();
        m_control->serve(fds);
        m_host->runTimerIfDue(ServiceHost::Clock::now());
        m_jobEnds->retry();
    }
}

} // namespace marlet
