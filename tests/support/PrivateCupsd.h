#pragma once

#include <cups/cups.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace marlet {

/// A CUPS server of the test's own: its configuration, spool and log in a temporary folder,
/// listening on a Unix socket there and nowhere else, stopped by its process id at the end.
class PrivateCupsd {
public:
    /// A job as the queue printed it: what CUPS recorded and the file its device wrote.
    struct PrintedJob {
        int id = 0;
        std::string title;
        std::string format;
        ipp_jstate_t state = IPP_JSTATE_PENDING;
        std::filesystem::path output;
    };

    PrivateCupsd();
    ~PrivateCupsd();
    PrivateCupsd(const PrivateCupsd&) = delete;
    PrivateCupsd& operator=(const PrivateCupsd&) = delete;

    /// Why the server cannot run here; empty when it runs.
    const std::string& unavailable() const { return m_unavailable; }
    const std::filesystem::path& folder() const { return m_folder; }
    /// The value for CUPS_SERVER.
    std::string socket() const { return (m_folder / "cups.sock").string(); }

    /// Adds a file: queue that passes PDF through unchanged, holds every job until
    /// printHeldJobs() lets it go, and is the server's default.
    void addQueue(const std::string& name);
    /// Releases the queue's held jobs one at a time, oldest first, and keeps what the
    /// device wrote for each before the next job overwrites it.
    std::vector<PrintedJob> printHeldJobs(const std::string& queue);
    /// Every job the queue has had, oldest first, as CUPS records it now; nothing printed.
    std::vector<PrintedJob> jobs(const std::string& queue);
    /// The server's error log, for failure messages.
    std::string log() const;

private:
    void writeConfiguration();
    void start();
    void stop();
    bool waitForJob(http_t* http, const std::string& queue, int id, PrintedJob& printed);
    // A connection to the server, or none; connect() fails when it does not answer.
    http_t* tryConnect() const;
    http_t* connect() const;

    std::filesystem::path m_folder;
    std::string m_unavailable;
    pid_t m_pid = -1;
};

} // namespace marlet
