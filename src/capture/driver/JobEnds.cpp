#include "JobEnds.h"

#include "capture/SpoolFile.h"

#include <sys/stat.h>

namespace marlet {

namespace {

constexpr std::uint8_t Escape = 0x1B;
constexpr std::uint8_t FormFeed = 0x0C;

std::optional<std::uint64_t> fileSize(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
}

} // namespace

void JobEnds::offering(std::uint8_t byte) {
    if (!m_escapeAfterQuiet)
        return;
    m_escapeAfterQuiet = false;
    // The ESC waits in the driver's buffer, and the queue file holds the job before it.
    if ((byte == '@' || byte == 'E') && m_driver.count() == 1)
        endBefore(1);
}

void JobEnds::taken(std::uint8_t byte, Clock::time_point now) {
    bool quiet = !m_lastTaken || now - *m_lastTaken >= ResetQuiet;
    m_lastTaken = now;
    m_escapeAfterQuiet = byte == Escape && quiet && m_driver.count() == 1;
    if (byte == FormFeed)
        m_driver.writeHeld();
}

void JobEnds::senderDone() {
    m_escapeAfterQuiet = false;
    // A port that cannot write now (a full disk) keeps the bytes; its timer writes them.
    if (m_driver.writeHeld())
        endBefore(0);
}

void JobEnds::endBefore(std::uint64_t held) {
    if (!m_driver.started() || !m_driver.state().captureOn() || held != m_driver.count())
        return;
    std::optional<std::uint64_t> size = fileSize(m_driver.state().path());
    if (!size)
        return;
    m_pending = size;
    mark();
}

void JobEnds::retry() {
    if (m_pending)
        mark();
}

void JobEnds::mark() {
    // The file is checked against the size under the capture side's lock: bytes of the next
    // job that reached it meanwhile make it one job with them, and nothing is marked.
    if (SpoolFile(m_driver.state().path()).endJob(*m_pending))
        m_pending.reset();
}

} // namespace marlet
