#pragma once

#include "JobRunner.h"

#include <string>
#include <vector>

namespace marlet {

/// What one job may take before it is stopped.
struct JobLimits {
    /// Address space, as a job that reads a hostile count could otherwise take it all.
    unsigned long long memoryBytes = 1536ULL << 20;
    /// Processor time and wall-clock time, in seconds each.
    int cpuSeconds = 60;
    int wallSeconds = 60;
};

/// Prints each job in a process of its own, the installed marlet-print, so that a job
/// that crashes or runs away costs that job alone. The child reads the same settings
/// store, gets the live settings a job prints with on its command line, and reports its
/// progress on a pipe.
class ChildJobRunner final : public JobRunner {
public:
    /// program is marlet-print; registry the settings store it reads.
    ChildJobRunner(std::string program, std::string registry, JobLimits limits = {});

    /// marlet-print beside the running program.
    static std::string installedProgram();

    /// Fails with the child's own message ("Range check error"), or with why it was stopped.
    void print(const std::string& path, const std::string& printer, Application& app) override;

    /// The child's arguments after the program name, for a job of app's settings.
    std::vector<std::string> arguments(const std::string& path, const std::string& printer,
                                       const Application& app) const;

private:
    std::string m_program;
    std::string m_registry;
    JobLimits m_limits;
};

} // namespace marlet
