#pragma once

#include <string>

namespace marlet {

class Application;

/// What became of a job that ended without a failure.
struct PrintedJob {
    int pages = 0;          // the pages it started
    std::string pdf;        // the last file the PDF printer wrote for it, if any
    bool cancelled = false; // the user stopped it between two pages
};

/// Prints one job of the resident app with its live settings. Fails with an Error that
/// carries the reason the job did not print.
class JobRunner {
public:
    virtual ~JobRunner() = default;

    /// Prints the file on the named printer of the catalog with app's settings, showing
    /// the job's progress through app.
    virtual PrintedJob print(const std::string& path, const std::string& printer,
                             Application& app) = 0;
    /// Stops the job that prints before its next page; it comes back cancelled.
    virtual void cancel() = 0;
};

} // namespace marlet
