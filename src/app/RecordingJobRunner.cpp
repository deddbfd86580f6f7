#include "RecordingJobRunner.h"

#include "Application.h"
#include "render/JobStopped.h"

#include <ctime>
#include <exception>

namespace marlet {

HistoryLimits historyLimits(const Settings& settings) {
    return {settings.HistoryJobs, settings.HistoryMegabytes};
}

RecordingJobRunner::RecordingJobRunner(JobRunner& printer, JobHistory history, FailureReport report)
    : m_printer(printer), m_history(std::move(history)), m_report(std::move(report)) {
    m_history.markInterrupted();
}

PrintedJob RecordingJobRunner::print(const std::string& path, const std::string& printer,
                                     Application& app) {
    const Settings& settings = app.settings();
    JobRecord record;
    record.when = std::time(nullptr);
    // A claimed job came from the queue file, whatever it is called while it prints.
    record.source = path.starts_with(settings.Spool + ".") ? settings.Spool : path;
    record.destination = printer;
    record.codePage = settings.CodePage;
    try {
        // The job's process reads the scheme from the store, as this does.
        app.LoadSequences();
        record.scheme = app.scheme().name();
        if (!m_history.add(path, record, historyLimits(settings)))
            record.number = 0;
    } catch (const std::exception& e) {
        m_report(e.what());
    }
    try {
        PrintedJob job = m_printer.print(path, printer, app);
        record.pages = job.pages;
        if (!job.pdf.empty())
            record.destination = job.pdf;
        update(record, job.cancelled ? JobStatus::Cancelled : JobStatus::Printed, {});
        return job;
    } catch (const JobStopped& e) {
        record.pages = e.pages();
        update(record, JobStatus::Cancelled, e.what());
        throw;
    } catch (const std::exception& e) {
        update(record, JobStatus::Failed, e.what());
        throw;
    }
}

void RecordingJobRunner::update(JobRecord& record, JobStatus status, const std::string& message) {
    if (record.number == 0)
        return;
    record.status = status;
    record.message = message;
    try {
        m_history.update(record);
    } catch (const std::exception& e) {
        m_report(e.what());
    }
}

} // namespace marlet
