#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace marlet::testing {

/// What a shell command wrote to its standard output, and its exit status (-1 when it did
/// not exit by itself).
struct ShellOutput {
    std::string out;
    int status = -1;
};

/// Runs a command through the shell and collects its standard output.
inline ShellOutput runShell(const std::string& command) {
    ShellOutput result;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        while (std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe))
            result.out.append(chunk, got);
        const int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result;
}

} // namespace marlet::testing
