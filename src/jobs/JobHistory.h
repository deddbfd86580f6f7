#pragma once

#include "JobRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marlet {

/// How much the history keeps: the newest jobs up to both bounds; 0 in either keeps none.
struct HistoryLimits {
    int jobs = 0;
    int megabytes = 0;
};

/// The jobs kept for the user, each as its raw bytes "N.prn" and its record "N.job" in one
/// folder readable by the user alone. Both are written under a hidden part name and renamed
/// into place, bytes first, so a job is listed only once it is whole: a run killed in the
/// middle leaves nothing listed half, and its leftovers go at the next trim.
class JobHistory {
public:
    /// The history in folder; one process, the resident app, adds jobs to it.
    explicit JobHistory(std::string folder) : m_folder(std::move(folder)) {}

    /// $XDG_STATE_HOME/marlet/jobs, or ~/.local/state/marlet/jobs.
    static std::string defaultFolder();
    /// The folder that holds the jobs.
    const std::string& folder() const { return m_folder; }

    /// Keeps a copy of the file at bytesPath under the next number with record, whose number
    /// and size it fills in, then trims to limits. False, with nothing kept, when limits keep
    /// none or the job alone is bigger than they allow. Fails with the file's message when
    /// the bytes cannot be read or written.
    bool add(const std::string& bytesPath, JobRecord& record, HistoryLimits limits);
    /// Writes a changed record in place of the old one; a job deleted meanwhile stays gone.
    void update(const JobRecord& record) const;
    /// Every whole job, oldest first.
    std::vector<JobRecord> list() const;
    /// The job of that number, when it is kept.
    std::optional<JobRecord> find(int number) const;
    /// Where the bytes of job number are.
    std::string bytesPath(int number) const;
    /// Deletes a job, its record first; false when there was none.
    bool remove(int number) const;
    /// Deletes the oldest jobs until both bounds hold, and what a killed run left unfinished.
    void trim(HistoryLimits limits) const;
    /// Jobs a run left "printing" when it ended without finishing them become failed.
    void markInterrupted() const;

private:
    std::string recordPath(int number) const;
    void writeRecord(const JobRecord& record) const;
    void sweepLeftovers() const;

    std::string m_folder;
};

} // namespace marlet
