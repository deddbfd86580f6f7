#include "SpoolMonitor.h"

#include "JobStarts.h"
#include "SetAsideJobs.h"

#include <algorithm>
#include <exception>
#include <unistd.h>

namespace marlet {

namespace {

// Far past the longest time-out, and far from overflow.
constexpr int QuietTicksCap = 1 << 20;

} // namespace

void SpoolMonitor::queueTick() {
    SpoolFile queue(m_settings.Spool);
    std::optional<std::uint64_t> size = queue.size();
    bool ended = queue.hasEnded();
    m_host.enableQueueCommands(size.has_value() || ended);
    // A job an earlier run left claimed is whole: it goes first, and alone.
    if (m_held || !m_settings.AutoPrint || printLeftOver())
        return;
    // Its sender said where it ends: no time-out to wait for.
    if (ended) {
        if (std::optional<std::string> claimed = queue.claimEnded()) {
            printClaimed(claimed, Claim::New);
            return;
        }
    }
    if (!size)
        return;
    if (m_rememberedSize == size) {
        m_quietTicks = std::min(m_quietTicks + 1, QuietTicksCap);
    } else {
        m_rememberedSize = size;
        m_quietTicks = 0;
    }
    if (!due(queue, *size))
        return;
    // Bytes the driver still holds belong to this job: it is not over.
    if (m_host.captureHoldsBytes()) {
        m_quietTicks = 0;
        return;
    }
    std::optional<std::string> claimed = m_settings.FormFeed && m_quietTicks < TrailerTicks
                                             ? queue.claimEndingPage()
                                             : queue.claimAt(*size);
    if (claimed)
        printClaimed(claimed, Claim::New);
    else
        // The port sent more between the look and the claim: the job is not over.
        m_rememberedSize = queue.size();
}

bool SpoolMonitor::due(const SpoolFile& queue, std::uint64_t size) {
    if (m_settings.FormFeed && queue.endsPage())
        return true;
    // Looked at once per quiet spell: the exit and PJL lines after an end come at once.
    if (m_quietTicks == TrailerTicks && queue.endsJob())
        return true;
    // In end-of-page mode the time-out plays no part.
    return !m_settings.FormFeed && size > 0 &&
           m_quietTicks * QueuePeriod >= m_settings.TimeOut * 1000;
}

void SpoolMonitor::stateTick() {
    SpoolFile queue(m_settings.Spool);
    if (queue.size() || queue.hasEnded()) {
        m_host.enableQueueCommands(true);
        if (!m_settings.AutoPrint && !m_iconShown) {
            m_iconShown = true;
            m_host.showWaitingIcon(true);
        }
        return;
    }
    m_host.enableQueueCommands(false);
    if (m_iconShown) {
        m_iconShown = false;
        m_host.showWaitingIcon(false);
    }
}

void SpoolMonitor::printQueue() {
    printWaiting();
    m_host.enableQueueCommands(false);
}

void SpoolMonitor::clearQueue() {
    SpoolFile::remove(SpoolFile(m_settings.Spool).endedPath());
    SpoolFile::remove(m_settings.Spool);
    m_rememberedSize.reset();
    m_quietTicks = 0;
    m_host.enableQueueCommands(false);
}

void SpoolMonitor::printChosenFile(const std::string& path) {
    if (m_held)
        return;
    m_host.setQueueInterval(0);
    if (std::optional<std::string> failure = runJob(path))
        m_host.reportError(*failure);
    rearm();
}

void SpoolMonitor::waitingIconClicked() {
    m_iconShown = false;
    m_host.showWaitingIcon(false);
    printWaiting();
}

void SpoolMonitor::printWaiting() {
    if (m_held)
        return;
    bool printed = printLeftOver();
    SpoolFile queue(m_settings.Spool);
    // Oldest first: the job its sender ended came before the bytes behind it. A hold that
    // came while one printed leaves the others unclaimed.
    if (std::optional<std::string> ended = m_held ? std::nullopt : queue.claimEnded()) {
        printClaimed(ended, Claim::New);
        printed = true;
    }
    if (!m_held && (!printed || queue.size()))
        printClaimed(queue.claim(), Claim::New);
}

bool SpoolMonitor::printLeftOver() {
    std::string claimed = SpoolFile(m_settings.Spool).claimedPath();
    if (::access(claimed.c_str(), F_OK) != 0)
        return false;
    // It prints alone: the jobs queued behind it must not share its fate.
    printClaimed(claimed, Claim::LeftOver);
    return true;
}

void SpoolMonitor::printClaimed(const std::optional<std::string>& claimed, Claim claim) {
    m_host.setQueueInterval(0);
    if (!claimed) {
        // Nothing to claim: the job driver reports the missing queue file as it would.
        if (std::optional<std::string> failure = runJob(m_settings.Spool))
            m_host.reportError(*failure);
    } else if (!setAsideOversized(*claimed)) {
        printJob(*claimed, claim);
    }
    // The next job waits one whole unchanged time-out, however big it is.
    m_rememberedSize.reset();
    m_quietTicks = 0;
    rearm();
}

void SpoolMonitor::printJob(const std::string& claimed, Claim claim) {
    JobStarts starts(claimed);
    int started = claim == Claim::LeftOver ? starts.count() : 0;
    std::optional<std::string> failure;
    if (started >= MaxStarts) {
        // It took the app down with it each time, and would at every start.
        failure = "Marlet stopped " + std::to_string(started) + " times while this job printed";
    } else {
        starts.record(started + 1);
        failure = runJob(claimed);
    }
    // A job that failed once fails again: put back, it would block every job behind it.
    if (failure)
        setAside(claimed, *failure);
    else
        SpoolFile::remove(claimed);
    starts.remove();
}

void SpoolMonitor::setAside(const std::string& claimed, const std::string& reason) {
    std::string kept = SetAsideJobs(m_settings.Spool).keep(claimed, reason);
    m_host.reportError(kept.empty() ? reason + "; the job could not be kept and was deleted"
                                    : reason + "; the job was set aside as " + kept);
}

bool SpoolMonitor::setAsideOversized(const std::string& claimed) {
    std::optional<std::uint64_t> size = SpoolFile(claimed).size();
    if (!size || *size <= MaxJobSize)
        return false;
    // Put back, it would fail again at every tick for ever.
    std::string aside = m_settings.Spool + ".too-big";
    SpoolFile::moveAside(claimed, aside);
    m_host.reportError("The queue file held " + std::to_string(*size) +
                       " bytes, more than a job can print; it was moved to " + aside);
    return true;
}

std::optional<std::string> SpoolMonitor::runJob(const std::string& path) {
    try {
        m_host.printFile(path);
        return std::nullopt;
    } catch (const std::exception& e) {
        return e.what();
    }
}

void SpoolMonitor::rearm() {
    m_host.setQueueInterval(QueuePeriod);
}

} // namespace marlet
