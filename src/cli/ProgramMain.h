#pragma once

#include "base/Error.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace marlet {

/// A program's name and usage text, as its errors and --help show them.
struct ProgramInfo {
    const char* name;
    const char* usage;
};

/// Runs a program's work as every Marlet program does: a UsageError exits with status 2
/// and "NAME: message" and the usage on stderr; any other failure exits with status 1 and
/// "NAME: message".
int runProgram(const ProgramInfo& program, const std::function<int()>& work);

/// Says something to the user on stderr as "NAME: text", NAME being the running program's,
/// or behind the prefix that setUserMessagePrefix() gave.
void tellUser(const std::string& text);

/// Makes tellUser() begin its lines with prefix instead of "NAME: ", as a CUPS filter's
/// "INFO: " lines, which the server shows as the job's state.
void setUserMessagePrefix(std::string prefix);

/// Prints "NAME VERSION" and returns true when the first argument is --version.
bool answerVersion(const ProgramInfo& program, const std::vector<std::string>& arguments);

/// Reads the command line with Options::parse; answers --version, prints the usage for
/// --help, otherwise runs run(options), all inside runProgram.
template <class Options>
int runProgram(const ProgramInfo& program, int argc, char** argv,
               const std::function<int(Options&)>& run) {
    return runProgram(program, [&] {
        std::vector<std::string> arguments(argv + 1, argv + argc);
        if (answerVersion(program, arguments))
            return 0;
        Options options = Options::parse(arguments);
        if (options.help) {
            std::fputs(program.usage, stdout);
            return 0;
        }
        return run(options);
    });
}

} // namespace marlet
