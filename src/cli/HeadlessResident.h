#pragma once

#include "TerminalProgress.h"
#include "app/ResidentHost.h"
#include "app/ResidentSession.h"

#include <chrono>
#include <optional>

namespace marlet {

/// The resident session's face without a window: the queue timer and the state timer in a
/// poll loop of its own, failures on stderr, a job's progress as a bar when stderr is a
/// terminal, and no commands or icons to show.
class HeadlessResident final : public ResidentHost {
public:
    HeadlessResident();

    /// Runs the session's timers until stop().
    void run(ResidentSession& session);
    /// Ends run(); safe in a signal handler.
    static void stop();

    void reportError(const std::string& message) override;
    void enableQueueCommands(bool) override {}
    void showWaitingIcon(bool) override {}
    void armQueueTimer(int milliseconds) override;
    void showFrame(int frame) override { m_progress.showFrame(frame); }
    void restoreIcon() override { m_progress.restoreIcon(); }

private:
    using Clock = std::chrono::steady_clock;

    bool wait(ResidentSession& session, Clock::time_point until);

    TerminalProgress m_progress{stderr};
    int m_queueInterval = 0;
    std::optional<Clock::time_point> m_nextQueueTick;
};

} // namespace marlet
