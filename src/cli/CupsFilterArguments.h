#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace marlet {

/// A job's options as CUPS hands them to a filter, by name folded to lower case.
using CupsOptions = std::map<std::string, std::string>;

/// What CUPS hands a filter on its command line: job-id user title copies options [file].
struct CupsFilterArguments {
    int jobId = 0;
    std::string user;
    std::string title;
    int copies = 1;
    CupsOptions options;
    std::optional<std::string> file; // none: the job comes on standard input

    /// Reads the arguments (without the program name). Fails with a UsageError for a
    /// command line of another shape, a job id that is no number or copies outside 1..9999.
    static CupsFilterArguments parse(const std::vector<std::string>& arguments);
};

/// Reads a CUPS option list, "name=value" separated by spaces: a value may be quoted with
/// ' or " and escape a character with \; a bare "name" is "true" and "noname" is "name"
/// "false", as CUPS reads them. Fails with a UsageError for an unclosed quote.
CupsOptions parseCupsOptions(const std::string& text);

} // namespace marlet
