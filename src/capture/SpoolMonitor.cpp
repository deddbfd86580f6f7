#include "SpoolMonitor.h"

#include "JobStarts.h"
#include "SetAsideJobs.h"
#include "SpoolFile.h"

#include <exception>
#include <unistd.h>

namespace marlet {

void SpoolMonitor::queueTick() {
    SpoolFile queue(m_settings.Spool);
    std::optional<std::uint64_t> size = queue.size();
    m_host.enableQueueCommands(size.has_value());
    // A job an earlier run left claimed is whole: it goes first, and alone.
    if (!m_settings.AutoPrint || printLeftOver() || !size)
        return;
    // The driver writes its tail after one or two quiet seconds: a short time-out would
    // otherwise print the job without it.
    if (m_host.captureHoldsBytes()) {
        m_rememberedSize.reset();
        return;
    }
    if (m_settings.FormFeed) {
        if (std::optional<std::string> claimed = queue.claimEndingPage())
            printClaimed(claimed, Claim::New);
        else
            m_rememberedSize = size;
        return;
    }
    if (*size > 0 && m_rememberedSize == size) {
        if (std::optional<std::string> claimed = queue.claimAt(*size)) {
            printClaimed(claimed, Claim::New);
            return;
        }
        // The port sent more between the look and the claim: the job is not over.
        size = queue.size();
    }
    m_rememberedSize = size;
}

void SpoolMonitor::stateTick() {
    if (SpoolFile(m_settings.Spool).size()) {
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
    SpoolFile::remove(m_settings.Spool);
    m_rememberedSize.reset();
    m_host.enableQueueCommands(false);
}

void SpoolMonitor::printChosenFile(const std::string& path) {
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
    if (!printLeftOver() || SpoolFile(m_settings.Spool).size())
        printClaimed(SpoolFile(m_settings.Spool).claim(), Claim::New);
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
    m_host.setQueueInterval(m_settings.TimeOut * 1000);
}

} // namespace marlet
