#pragma once

#include <optional>
#include <string>
#include <vector>

namespace marlet {

/// What marlet-jobs was asked to do.
struct JobsArguments {
    enum class Command { List, Show, Print, Dump, Remove, Cancel };

    Command command = Command::List;
    int job = 0;
    std::optional<std::string> history;
    std::optional<std::string> registry;
    std::optional<std::string> dataDir;
    /// "print": marlet-print's options; "dump": the --set values it takes.
    std::vector<std::string> options;
    bool help = false;

    /// Reads the arguments (without the program name).
    static JobsArguments parse(const std::vector<std::string>& arguments);
};

/// The usage text of marlet-jobs.
const char* jobsUsage();

} // namespace marlet
