#pragma once

#include <string>

namespace marlet {

class Application;

/// Prints one job of the resident app with its live settings. Fails with an Error that
/// carries the reason the job did not print.
class JobRunner {
public:
    virtual ~JobRunner() = default;

    /// Prints the file on the named printer of the catalog with app's settings, showing
    /// the job's progress through app.
    virtual void print(const std::string& path, const std::string& printer, Application& app) = 0;
};

} // namespace marlet
