#include "LockedQueueFile.h"

#include <cerrno>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

namespace {

int openFile(const std::string& path, LockedQueueFile::Mode mode) {
    if (mode == LockedQueueFile::Mode::Read)
        return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 && errno == ENOENT) {
        // The queue's folder (~/.local/state/marlet) may not exist before the first job.
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    }
    return fd;
}

bool stillNamedBy(int fd, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

std::optional<LockedQueueFile> LockedQueueFile::open(const std::string& path, Mode mode) {
    for (;;) {
        int fd = openFile(path, mode);
        if (fd < 0)
            return std::nullopt;
        while (flock(fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd);
                return std::nullopt;
            }
        }
        if (stillNamedBy(fd, path))
            return LockedQueueFile(fd);
        // A job was claimed while we waited: the bytes belong in the fresh queue file.
        ::close(fd);
    }
}

LockedQueueFile& LockedQueueFile::operator=(LockedQueueFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

LockedQueueFile::~LockedQueueFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<std::uint64_t> LockedQueueFile::size() const {
    struct stat status {};
    if (fstat(m_fd, &status) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
}

} // namespace marlet
