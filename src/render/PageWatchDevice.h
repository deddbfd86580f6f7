#pragma once

#include "ForwardingDevice.h"
#include "JobStopped.h"

#include <atomic>
#include <functional>

namespace marlet {

/// Counts the pages a job starts and stops the job before a page it must not print: the
/// one after the page limit unless the user lets it go on, or the next one once a stop is
/// asked for. Forwards every call.
class PageWatchDevice final : public ForwardingDevice {
public:
    /// Hears of each page as it starts, numbered from 1 across the job's documents.
    using PageStarted = std::function<void(int page)>;
    /// Asked when the job has started limit pages and would start another: true lifts
    /// the limit, false stops the job.
    using LimitReached = std::function<bool(int pages)>;

    /// limit 0 sets none; stop is read at every page. Without limitReached the limit stops
    /// the job.
    PageWatchDevice(PageDevice& target, int limit, const std::atomic<bool>& stop,
                    PageStarted started, LimitReached limitReached = {})
        : ForwardingDevice(target), m_limit(limit), m_stop(stop), m_started(std::move(started)),
          m_limitReached(std::move(limitReached)) {}

    /// The pages started so far.
    int pages() const { return m_pages; }

    void beginDocument(const std::string& title) override;
    void newPage() override;

private:
    void startPage();

    int m_limit;
    const std::atomic<bool>& m_stop;
    PageStarted m_started;
    LimitReached m_limitReached;
    int m_pages = 0;
};

} // namespace marlet
