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
/// its message, as the desktop app's message box would show it.
int runProgram(const ProgramInfo& program, const std::function<int()>& work);

/// Reads the command line with Options::parse; prints the usage for --help, otherwise runs
/// run(options), both inside runProgram.
template <class Options>
int runProgram(const ProgramInfo& program, int argc, char** argv,
               const std::function<int(Options&)>& run) {
    return runProgram(program, [&] {
        Options options = Options::parse(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::fputs(program.usage, stdout);
            return 0;
        }
        return run(options);
    });
}

} // namespace marlet
