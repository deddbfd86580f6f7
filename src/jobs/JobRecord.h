#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace marlet {

/// Where a kept job stands.
enum class JobStatus { Printing, Waiting, Printed, Cancelled, Failed };

/// The word a status is written as ("printed").
const char* statusName(JobStatus status);

/// What the history keeps about one job besides its bytes.
struct JobRecord {
    int number = 0;          // the job's number in the history, from 1 up
    std::int64_t when = 0;   // when it came in, in seconds since 1970 (UTC)
    std::string source;      // where the bytes came from: the queue file or a chosen file
    std::uint64_t size = 0;  // its bytes
    int pages = 0;           // pages printed, as far as they are known
    std::string destination; // the printer it went to, or the PDF it became
    std::string scheme;      // the escape-sequence scheme in force
    std::string codePage;    // the code page in force
    JobStatus status = JobStatus::Printing;
    std::string message; // why it failed or stopped

    /// The record as "NAME=VALUE" lines; line ends in values are written as "\n".
    std::string toText() const;
    /// Reads toText()'s form; a record without its number, time or status is none.
    static std::optional<JobRecord> parse(const std::string& text);
};

} // namespace marlet
