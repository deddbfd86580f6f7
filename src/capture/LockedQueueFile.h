#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace marlet {

/// The queue file open and locked for a moment, so that the capture side's append and
/// the queue monitor's claim of a finished job never interleave. The lock is advisory and
/// held only around one append or one claim; reading and appending need no other sharing.
class LockedQueueFile {
public:
    enum class Mode { Read, AppendOrCreate };

    /// Opens path and locks it. A file renamed away while the lock was awaited is let go
    /// and path opened again, so the lock is always on the file that path names. No value
    /// when the file does not exist (Read) or cannot be made (AppendOrCreate).
    static std::optional<LockedQueueFile> open(const std::string& path, Mode mode);

    LockedQueueFile(LockedQueueFile&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    LockedQueueFile& operator=(LockedQueueFile&& other) noexcept;
    LockedQueueFile(const LockedQueueFile&) = delete;
    LockedQueueFile& operator=(const LockedQueueFile&) = delete;
    /// Unlocks and closes.
    ~LockedQueueFile();

    int fd() const { return m_fd; }
    /// The size in bytes, or no value when the file cannot be examined.
    std::optional<std::uint64_t> size() const;

private:
    explicit LockedQueueFile(int fd) : m_fd(fd) {}

    int m_fd = -1;
};

} // namespace marlet
