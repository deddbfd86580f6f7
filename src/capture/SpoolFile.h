#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace marlet {

/// The queue file that the capture side appends to, as the queue monitor sees it: its
/// size, whether it ends a page, and the claim of a finished job. A job is claimed by
/// renaming the file under the capture side's lock, so bytes that arrive later make a
/// fresh queue file and print as the next job.
class SpoolFile {
public:
    explicit SpoolFile(std::string path) : m_path(std::move(path)) {}

    const std::string& path() const { return m_path; }
    /// Where a claimed job waits while it prints.
    std::string claimedPath() const { return m_path + ".printing"; }

    /// The size in bytes, or no value when the file does not exist.
    std::optional<std::uint64_t> size() const;
    /// Whether a form feed stands among the last 32 bytes (every byte but the first of a
    /// shorter file). A file that cannot be read ends no page.
    bool endsPage() const;

    /// Claims the job when the file still holds exactly size bytes.
    std::optional<std::string> claimAt(std::uint64_t size);
    /// Claims the job when the file ends a page.
    std::optional<std::string> claimEndingPage();
    /// Claims whatever the file holds.
    std::optional<std::string> claim();

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
