#include "SpoolFile.h"

#include "JobTrailer.h"
#include "LockedQueueFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

namespace {

constexpr std::uint8_t FormFeed = 0x0C;
constexpr std::uint64_t TailSize = 32;

bool tailHasFormFeed(int fd, std::uint64_t size) {
    // A file of 33 bytes or more is looked at in its last 32; a shorter one from its
    // second byte on.
    std::uint64_t from = size > TailSize ? size - TailSize : 1;
    if (size <= from)
        return false;
    std::array<std::uint8_t, TailSize> tail{};
    std::size_t wanted = static_cast<std::size_t>(size - from);
    ssize_t got = pread(fd, tail.data(), wanted, static_cast<off_t>(from));
    if (got <= 0)
        return false;
    return std::find(tail.begin(), tail.begin() + got, FormFeed) != tail.begin() + got;
}

bool copyAll(int from, int to) {
    std::array<char, 65536> chunk;
    off_t position = 0;
    for (;;) {
        ssize_t got = pread(from, chunk.data(), chunk.size(), position);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (write(to, chunk.data(), static_cast<std::size_t>(got)) != got)
            return false;
        position += got;
    }
}

} // namespace

std::optional<std::uint64_t> SpoolFile::size() const {
    struct stat status {};
    if (::stat(m_path.c_str(), &status) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
}

bool SpoolFile::endsPage() const {
    int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status {};
    bool ends =
        fstat(fd, &status) == 0 && tailHasFormFeed(fd, static_cast<std::uint64_t>(status.st_size));
    ::close(fd);
    return ends;
}

bool SpoolFile::endsJob() const {
    int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status {};
    std::array<std::uint8_t, JobTrailer::Size> tail{};
    ssize_t got = -1;
    std::uint64_t size = 0;
    if (fstat(fd, &status) == 0) {
        size = static_cast<std::uint64_t>(status.st_size);
        std::uint64_t from = size > tail.size() ? size - tail.size() : 0;
        got =
            pread(fd, tail.data(), static_cast<std::size_t>(size - from), static_cast<off_t>(from));
    }
    ::close(fd);
    return got > 0 &&
           JobTrailer::endsJob({tail.data(), static_cast<std::size_t>(got)}, size <= tail.size());
}

bool SpoolFile::hasEnded() const {
    return ::access(endedPath().c_str(), F_OK) == 0;
}

std::optional<std::string> SpoolFile::claimAt(std::uint64_t size) {
    return claimWhen([size](int, std::uint64_t now) { return now == size; });
}

std::optional<std::string> SpoolFile::claimEndingPage() {
    return claimWhen([](int fd, std::uint64_t size) { return tailHasFormFeed(fd, size); });
}

std::optional<std::string> SpoolFile::claim() {
    return claimWhen([](int, std::uint64_t) { return true; });
}

std::optional<std::string> SpoolFile::claimEnded() {
    std::string claimed = claimedPath();
    if (renameat2(AT_FDCWD, endedPath().c_str(), AT_FDCWD, claimed.c_str(), RENAME_NOREPLACE) != 0)
        return std::nullopt;
    return claimed;
}

bool SpoolFile::endJob(std::uint64_t size) {
    std::optional<LockedQueueFile> file =
        LockedQueueFile::open(m_path, LockedQueueFile::Mode::Read);
    // Claimed already, or grown by the next job's bytes: nothing of this job is left to mark.
    if (size == 0 || !file || file->size() != size)
        return true;
    if (renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, endedPath().c_str(), RENAME_NOREPLACE) == 0)
        return true;
    return errno != EEXIST;
}

std::optional<std::string>
SpoolFile::claimWhen(const std::function<bool(int fd, std::uint64_t)>& ready) {
    std::string claimed = claimedPath();
    // A job left unprinted by an earlier run goes back in front first.
    if (::access(claimed.c_str(), F_OK) == 0)
        restore(claimed);
    std::optional<LockedQueueFile> file =
        LockedQueueFile::open(m_path, LockedQueueFile::Mode::Read);
    if (!file)
        return std::nullopt;
    std::optional<std::uint64_t> size = file->size();
    if (!size || !ready(file->fd(), *size))
        return std::nullopt;
    if (std::rename(m_path.c_str(), claimed.c_str()) != 0)
        return std::nullopt;
    return claimed;
}

void SpoolFile::restore(const std::string& claimed) {
    for (;;) {
        if (renameat2(AT_FDCWD, claimed.c_str(), AT_FDCWD, m_path.c_str(), RENAME_NOREPLACE) == 0 ||
            errno != EEXIST)
            return;
        // New bytes came meanwhile: the old job goes before them in one new file.
        std::optional<LockedQueueFile> queue =
            LockedQueueFile::open(m_path, LockedQueueFile::Mode::Read);
        if (!queue)
            continue;
        std::string merged = m_path + ".merge";
        int out = ::open(merged.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        int old = ::open(claimed.c_str(), O_RDONLY | O_CLOEXEC);
        bool copied = out >= 0 && old >= 0 && copyAll(old, out) && copyAll(queue->fd(), out);
        if (old >= 0)
            ::close(old);
        if (out >= 0)
            ::close(out);
        if (copied && std::rename(merged.c_str(), m_path.c_str()) == 0)
            ::unlink(claimed.c_str());
        else
            ::unlink(merged.c_str());
        return;
    }
}

void SpoolFile::moveAside(const std::string& claimed, const std::string& aside) {
    if (std::rename(claimed.c_str(), aside.c_str()) != 0)
        std::remove(claimed.c_str());
}

void SpoolFile::remove(const std::string& path) {
    std::remove(path.c_str());
}

} // namespace marlet
