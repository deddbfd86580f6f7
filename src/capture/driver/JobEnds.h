#pragma once

#include "CaptureDriver.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace marlet {

/// Where the capture service knows a job ends, and marks it in the queue file so that the
/// job prints at once: the sender closed its connection or the FIFO, or, after a quiet
/// moment, the port took a printer reset (ESC @ or ESC E), which starts the next job. A
/// form feed goes to the queue file at once, for the queue monitor's end-of-page check.
/// Nothing is held back for a mark: the bytes are in the queue file first, and a mark that
/// cannot be made (the job before it still waits) is tried again until the next job's
/// bytes arrive, when the two print together.
class JobEnds {
public:
    using Clock = std::chrono::steady_clock;
    /// How long the port must have been quiet for a reset to start a new job.
    static constexpr auto ResetQuiet = std::chrono::milliseconds(1000);

    explicit JobEnds(CaptureDriver& driver) : m_driver(driver) {}

    /// Before the port is offered byte: a reset that follows a quiet moment ends the job
    /// before it.
    void offering(std::uint8_t byte);
    /// The port took byte at now.
    void taken(std::uint8_t byte, Clock::time_point now);
    /// The sender's stream ended after its last byte was taken.
    void senderDone();
    /// Tries again a mark that could not be made.
    void retry();
    /// Whether a mark waits to be tried again.
    bool pending() const { return m_pending.has_value(); }

private:
    void endBefore(std::uint64_t held);
    void mark();

    CaptureDriver& m_driver;
    std::optional<Clock::time_point> m_lastTaken;
    // The port's last byte is an ESC that came after a quiet moment, alone in the buffer.
    bool m_escapeAfterQuiet = false;
    // The queue file's size at a job's end that could not be marked yet.
    std::optional<std::uint64_t> m_pending;
};

} // namespace marlet
