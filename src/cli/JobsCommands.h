#pragma once

#include "JobsArguments.h"
#include "jobs/JobHistory.h"

#include <ostream>

namespace marlet {

/// The commands of marlet-jobs over the job history: each writes to out and returns the
/// exit status; a job that is not kept fails with "There is no job N".
class JobsCommands {
public:
    /// The history of --history, or the user's; arguments must outlive the commands.
    JobsCommands(const JobsArguments& arguments, std::ostream& out)
        : m_arguments(arguments), m_out(out),
          m_history(arguments.history.value_or(JobHistory::defaultFolder())) {}

    /// Runs the command the arguments name.
    int run();

private:
    void list() const;
    void show() const;
    int print() const;
    void dump() const;
    void remove() const;
    void cancel() const;
    JobRecord job() const;

    const JobsArguments& m_arguments;
    std::ostream& m_out;
    JobHistory m_history;
};

} // namespace marlet
