#pragma once

#include "SpoolFile.h"
#include "SpoolHost.h"
#include "config/Settings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace marlet {

/// Decides when the queue file holds a finished job and prints it, and carries the
/// commands on the queue. A job that fails, or that the app did not survive twice, is set
/// aside (SetAsideJobs) and reported once, and the queue goes on. Driven by the queue timer
/// and the state timer (100 ms each), whose owners call the two ticks; reads the live
/// settings at each step, so a new time-out counts at once.
class SpoolMonitor {
public:
    static constexpr int StateInterval = 100;
    /// The queue timer's interval: a job with no end of its own prints within this much of
    /// the time-out.
    static constexpr int QueuePeriod = 100;
    /// The quiet queue ticks after which a file that ends in a printer job's end prints,
    /// so that the exit and PJL lines that follow the end come with it.
    static constexpr int TrailerTicks = 2;
    /// The most a job can read (its byte count is 32 bits): a bigger queue file is set
    /// aside beside the queue as "NAME.too-big" instead of failing at every tick.
    static constexpr std::uint64_t MaxJobSize = 0xFFFFFFFF;
    /// The starts of a job that the app did not survive before the job is set aside.
    static constexpr int MaxStarts = 2;

    SpoolMonitor(const Settings& settings, SpoolHost& host) : m_settings(settings), m_host(host) {}

    /// The queue timer: prints a job that its sender ended at once; the queue once its size
    /// held for the time-out, or, in end-of-page mode, once a form feed stands among its
    /// last 32 bytes; or once it ends in a printer job's end and held for TrailerTicks.
    /// Never while the capture driver still holds bytes of the job.
    void queueTick();
    /// The state timer: queue commands enabled while the queue exists, and the waiting-job
    /// icon shown while a job waits and automatic printing is off.
    void stateTick();

    /// "Распечатать" / "Печать": prints the queue now and deletes it.
    void printQueue();
    /// "Очистить очередь" / "Отменить задание": deletes the queue.
    void clearQueue();
    /// "Распечатать файл": prints a chosen file as it is; the queue is left alone.
    void printChosenFile(const std::string& path);
    /// A left click on the waiting-job icon: the icon goes and the queue prints.
    void waitingIconClicked();
    /// No job starts from now on, as the app ends: what waits stays in the queue for the
    /// next run.
    void hold() { m_held = true; }

    /// The size seen at the previous queue tick, if one is remembered.
    std::optional<std::uint64_t> rememberedSize() const { return m_rememberedSize; }

private:
    // A job claimed now, or one an earlier run left claimed when it ended in the middle.
    enum class Claim { New, LeftOver };

    bool due(const SpoolFile& queue, std::uint64_t size);
    void printWaiting();
    bool printLeftOver();
    void printClaimed(const std::optional<std::string>& claimed, Claim claim);
    void printJob(const std::string& claimed, Claim claim);
    void setAside(const std::string& claimed, const std::string& reason);
    bool setAsideOversized(const std::string& claimed);
    std::optional<std::string> runJob(const std::string& path);
    void rearm();

    const Settings& m_settings;
    SpoolHost& m_host;
    std::optional<std::uint64_t> m_rememberedSize;
    // Queue ticks that saw the remembered size again.
    int m_quietTicks = 0;
    bool m_iconShown = false;
    bool m_held = false;
};

} // namespace marlet
