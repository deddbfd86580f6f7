#include "Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

namespace {

// Why a file cannot be read, asked again of the system after the read failed: the stream
// libraries that failed do not keep errno, and opening a folder does not fail at all.
std::string readFailureReason(const std::string& name) {
    struct stat status {};
    if (::stat(name.c_str(), &status) != 0)
        return std::strerror(errno);
    if (S_ISDIR(status.st_mode))
        return std::strerror(EISDIR);
    int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    return {};
}

} // namespace

Error Error::cannotOpen(const std::string& name) {
    std::string reason = readFailureReason(name);
    return Error("Cannot open file " + name + (reason.empty() ? "" : ": " + reason));
}

Error Error::cannotCreate(const std::string& name) {
    int reason = errno;
    return Error("Cannot create file " + name +
                 (reason ? ": " + std::string(std::strerror(reason)) : ""));
}

} // namespace marlet
