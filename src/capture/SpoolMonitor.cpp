#include "SpoolMonitor.h"

#include "SpoolFile.h"

#include <exception>

namespace marlet {

void SpoolMonitor::queueTick() {
    SpoolFile queue(m_settings.Spool);
    std::optional<std::uint64_t> size = queue.size();
    if (!size) {
        m_host.enableQueueCommands(false);
        return;
    }
    m_host.enableQueueCommands(true);
    if (!m_settings.AutoPrint)
        return;
    // The driver writes its tail after one or two quiet seconds: a short time-out would
    // otherwise print the job without it.
    if (m_host.captureHoldsBytes()) {
        m_rememberedSize.reset();
        return;
    }
    if (m_settings.FormFeed) {
        if (std::optional<std::string> claimed = queue.claimEndingPage())
            printClaimed(claimed);
        else
            m_rememberedSize = size;
        return;
    }
    if (*size > 0 && m_rememberedSize == size) {
        if (std::optional<std::string> claimed = queue.claimAt(*size)) {
            printClaimed(claimed);
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
    printClaimed(SpoolFile(m_settings.Spool).claim());
    m_host.enableQueueCommands(false);
}

void SpoolMonitor::clearQueue() {
    SpoolFile::remove(m_settings.Spool);
    m_rememberedSize.reset();
    m_host.enableQueueCommands(false);
}

void SpoolMonitor::printChosenFile(const std::string& path) {
    m_host.setQueueInterval(0);
    runJob(path);
    rearm();
}

void SpoolMonitor::waitingIconClicked() {
    m_iconShown = false;
    m_host.showWaitingIcon(false);
    printClaimed(SpoolFile(m_settings.Spool).claim());
}

void SpoolMonitor::printClaimed(const std::optional<std::string>& claimed) {
    m_host.setQueueInterval(0);
    SpoolFile queue(m_settings.Spool);
    if (!claimed) {
        // Nothing to claim: the job driver reports the missing queue file as it would.
        runJob(m_settings.Spool);
    } else if (setAsideOversized(*claimed)) {
    } else if (runJob(*claimed)) {
        SpoolFile::remove(*claimed);
    } else {
        queue.restore(*claimed);
    }
    // The next job waits one whole unchanged time-out, however big it is.
    m_rememberedSize.reset();
    rearm();
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

bool SpoolMonitor::runJob(const std::string& path) {
    try {
        m_host.printFile(path);
        return true;
    } catch (const std::exception& e) {
        m_host.reportError(e.what());
        return false;
    }
}

void SpoolMonitor::rearm() {
    m_host.setQueueInterval(m_settings.TimeOut * 1000);
}

} // namespace marlet
