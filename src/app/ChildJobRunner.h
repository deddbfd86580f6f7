#pragma once

#include "JobRunner.h"

#include <functional>
#include <string>
#include <vector>

namespace marlet {

// A sanitizer build keeps its shadow memory in the address space, which no limit fits.
// GCC names AddressSanitizer with a macro, clang as a feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MARLET_SHADOW_MEMORY
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(MARLET_SHADOW_MEMORY)
inline constexpr unsigned long long DefaultJobMemory = 0;
#else
inline constexpr unsigned long long DefaultJobMemory = 1536ULL << 20;
#endif

/// What one job may take before it is stopped.
struct JobLimits {
    /// Address space, as a job that reads a hostile count could otherwise take it all;
    /// 0 sets none.
    unsigned long long memoryBytes = DefaultJobMemory;
    /// Processor time: a job that computes for longer has run away.
    int cpuSeconds = 60;
    /// Wall-clock time: time enough for a big job to reach a slow queue.
    int wallSeconds = 300;
};

/// Prints each job in a process of its own, the installed marlet-print, so that a job
/// that crashes or runs away costs that job alone. The child reads the same settings
/// store, gets the live settings a job prints with on its command line, and reports its
/// progress on a pipe.
class ChildJobRunner final : public JobRunner {
public:
    /// Hears of each file the PDF printer wrote for a job.
    using FileWritten = std::function<void(const std::string&)>;

    /// program is marlet-print; registry the settings store it reads.
    ChildJobRunner(std::string program, std::string registry, JobLimits limits = {},
                   FileWritten fileWritten = {});

    /// marlet-print beside the running program.
    static std::string installedProgram();

    /// Fails with the child's own message ("Range check error"), or with why it was stopped;
    /// a job that reaches the page limit asks app's progress display whether to go on, and
    /// fails with JobStopped when not. A job cancelled by requestCancel()
    /// comes back cancelled, with the pages before the cancel printed.
    PrintedJob print(const std::string& path, const std::string& printer,
                     Application& app) override;
    void cancel() override { requestCancel(); }

    /// Stops the job that prints now, or the next one, before its next page; safe in a
    /// signal handler.
    static void requestCancel();

    /// The child's arguments after the program name, for a job of app's settings.
    std::vector<std::string> arguments(const std::string& path, const std::string& printer,
                                       const Application& app) const;

private:
    std::string m_program;
    std::string m_registry;
    JobLimits m_limits;
    FileWritten m_fileWritten;
};

} // namespace marlet
