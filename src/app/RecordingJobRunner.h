#pragma once

#include "JobRunner.h"
#include "config/Settings.h"
#include "jobs/JobHistory.h"

#include <functional>
#include <string>

namespace marlet {

/// Prints each job through another runner and keeps it in the job history: its bytes and
/// a record written before it prints ("printing"), then what became of it (printed,
/// cancelled, failed with the reason). The history follows the HistoryJobs and
/// HistoryMegabytes settings in force; a history that cannot be written is reported and
/// the job prints all the same.
class RecordingJobRunner final : public JobRunner {
public:
    using FailureReport = std::function<void(const std::string& message)>;

    /// Jobs an earlier run left "printing" become failed.
    RecordingJobRunner(JobRunner& printer, JobHistory history, FailureReport report);

    PrintedJob print(const std::string& path, const std::string& printer,
                     Application& app) override;
    void cancel() override { m_printer.cancel(); }

    /// Where the jobs are kept.
    const JobHistory& history() const { return m_history; }

private:
    void update(JobRecord& record, JobStatus status, const std::string& message);

    JobRunner& m_printer;
    JobHistory m_history;
    FailureReport m_report;
};

/// The bounds of the history the settings give.
HistoryLimits historyLimits(const Settings& settings);

} // namespace marlet
