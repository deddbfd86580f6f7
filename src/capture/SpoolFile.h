#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace marlet {

/// The queue file that the capture side appends to, as the queue monitor sees it: its
/// size, whether it ends a page or a printer job, and the claim of a finished job. A job
/// is claimed by renaming the file under the capture side's lock, so bytes that arrive
/// later make a fresh queue file and print as the next job. When the sender says where a
/// job ends (it closes the port), the capture side renames the file itself to
/// NAME.ended, which prints at once.
class SpoolFile {
public:
    explicit SpoolFile(std::string path) : m_path(std::move(path)) {}

    const std::string& path() const { return m_path; }
    /// Where a claimed job waits while it prints.
    std::string claimedPath() const { return m_path + ".printing"; }
    /// Where a job that its sender ended waits to be claimed.
    std::string endedPath() const { return m_path + ".ended"; }

    /// The size in bytes, or no value when the file does not exist.
    std::optional<std::uint64_t> size() const;
    /// Whether a form feed stands among the last 32 bytes (every byte but the first of a
    /// shorter file). A file that cannot be read ends no page.
    bool endsPage() const;
    /// Whether the file ends in the end of a printer job (JobTrailer). A file that cannot
    /// be read ends none.
    bool endsJob() const;
    /// Whether a job that its sender ended waits.
    bool hasEnded() const;

    /// Claims the job when the file still holds exactly size bytes.
    std::optional<std::string> claimAt(std::uint64_t size);
    /// Claims the job when the file ends a page.
    std::optional<std::string> claimEndingPage();
    /// Claims whatever the file holds.
    std::optional<std::string> claim();
    /// Claims the job that its sender ended, when no claimed job is in the way.
    std::optional<std::string> claimEnded();

    /// The capture side: marks what the file holds, when it holds size bytes, as one whole
    /// job (it becomes NAME.ended). True when done or when there is nothing to mark; false
    /// while an earlier ended job still waits, so that the caller tries again.
    bool endJob(std::uint64_t size);

    /// Puts a claimed job that did not print back in front of the queue.
    void restore(const std::string& claimed);
    /// Moves a claimed job to aside, replacing what an earlier one left there.
    static void moveAside(const std::string& claimed, const std::string& aside);
    /// Deletes a file; a missing or busy file stays and nothing is reported.
    static void remove(const std::string& path);

private:
    std::optional<std::string> claimWhen(const std::function<bool(int fd, std::uint64_t)>& ready);

    std::string m_path;
};

} // namespace marlet
