#pragma once

#include "CaptureDriver.h"
#include "JobEnds.h"
#include "ServiceHost.h"
#include "ServiceOptions.h"

#include <memory>

namespace marlet {

class ControlServer;
class TcpFeed;
class FifoFeed;

/// The capture driver as a service of this host: the control socket, the printer-port
/// feeds, the driver's timer and the ends of jobs in one loop on one thread, so that no
/// two of the driver's routines ever run at once.
class CaptureService {
public:
    /// Takes the service's lock, opens the control socket and the feeds. Fails with
    /// "The capture service is already running" or the message of the part that failed.
    explicit CaptureService(const ServiceOptions& options);
    ~CaptureService();
    CaptureService(const CaptureService&) = delete;
    CaptureService& operator=(const CaptureService&) = delete;

    /// Serves until the last connection closes or stop() is called; then the driver
    /// writes what it holds.
    void run();
    /// Ends run() from a signal handler.
    static void stop();

private:
    bool finished() const;

    ServiceOptions m_options;
    int m_lockFd = -1;
    int m_passThroughFd = -1;
    std::unique_ptr<ServiceHost> m_host;
    std::unique_ptr<CaptureDriver> m_driver;
    std::unique_ptr<JobEnds> m_jobEnds;
    std::unique_ptr<ControlServer> m_control;
    std::unique_ptr<TcpFeed> m_tcp;
    std::unique_ptr<FifoFeed> m_fifo;
    ServiceHost::Clock::time_point m_started;
};

} // namespace marlet
