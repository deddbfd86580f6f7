#pragma once

#include <string>

namespace marlet {

/// Files a program is still writing, which must not outlive it when SIGTERM or SIGINT
/// stops it: the handler removes them, then the signal ends the program as it would have.
class UnfinishedFiles {
public:
    /// The most files held at once; a file beyond them is left to the next writer's cleanup.
    static constexpr int Capacity = 8;

    /// From now on SIGTERM and SIGINT remove the files held at that moment.
    static void removeOnStopSignals();
    /// Holds path (as it will be reached from the working folder) until release(path).
    static void hold(const std::string& path);
    /// Lets go of a file that is complete or already removed.
    static void release(const std::string& path);
};

} // namespace marlet
