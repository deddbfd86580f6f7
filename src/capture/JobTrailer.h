#pragma once

#include <cstdint>
#include <span>

namespace marlet {

/// How a printer job says where it ends, read from the last bytes of the queue file: a
/// Universal Exit Language (ESC %-12345X) after the job's data, or a PJL end-of-job line
/// (@PJL EOJ), with or without the exit that follows it. A job that only begins with an
/// exit, or stops inside its PJL header, does not end there.
class JobTrailer {
public:
    /// The most bytes of a file's end that the check looks at.
    static constexpr std::size_t Size = 256;

    /// Whether tail, the last bytes of a file (the whole file when wholeFile), ends a job.
    static bool endsJob(std::span<const std::uint8_t> tail, bool wholeFile);
};

} // namespace marlet
