#pragma once

#include "app/Application.h"
#include "capture/CaptureSwitch.h"
#include "capture/SpoolHost.h"
#include "capture/SpoolMonitor.h"

#include <chrono>
#include <optional>

namespace marlet {

/// The resident app without a window: capture started as start-up does, the queue timer
/// and the state timer in a loop of its own, every finished job printed, and at SIGTERM or
/// SIGINT capture stopped and the settings saved, as exit does.
class ResidentMode : public SpoolHost {
public:
    /// app has been brought up with startUp().
    explicit ResidentMode(Application& app);

    /// Runs until stop(); failures of jobs and of capture are reported on stderr.
    void run();
    /// Ends run() from a signal handler.
    static void stop();

    void PrintOut() override { m_app.PrintOut(); }
    void reportError(const std::string& message) override;
    void setQueueInterval(int milliseconds) override;
    // Without a window there are no commands to enable and no icon to show.
    void enableQueueCommands(bool) override {}
    void showWaitingIcon(bool) override {}

private:
    using Clock = std::chrono::steady_clock;

    void startCapture();
    void wait(Clock::time_point until);

    Application& m_app;
    SpoolMonitor m_monitor;
    CaptureSwitch m_capture;
    int m_queueInterval = 0;
    std::optional<Clock::time_point> m_nextQueueTick;
    Clock::time_point m_nextStateTick;
    bool m_stopping = false;
};

} // namespace marlet
