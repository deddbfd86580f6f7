#include "CapturePaths.h"

#include "base/Error.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

std::string captureRuntimeFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/marlet";
    return "/tmp/marlet-" + std::to_string(getuid());
}

void makeCaptureRuntimeFolder() {
    std::string folder = captureRuntimeFolder();
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), ignored);
    makeOwnFolder(folder);
}

void makeOwnFolder(const std::string& folder) {
    // In a shared /tmp another user can make the folder first and swap the FIFO or the
    // socket for one of their own: what we did not make ourselves, we do not use.
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw Error("Cannot create folder " + folder);
    const std::string refused = "The folder " + folder + " is not the user's own: ";
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        struct stat link {};
        if (lstat(folder.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            throw Error(refused + "it is a symbolic link; remove it");
        throw Error("Cannot create folder " + folder);
    }
    struct stat status {};
    bool statted = fstat(fd, &status) == 0;
    ::close(fd);
    if (!statted)
        throw Error("Cannot create folder " + folder);
    if (status.st_uid != geteuid())
        throw Error(refused + "another user owns it; remove it or set XDG_RUNTIME_DIR");
    if ((status.st_mode & 077) != 0)
        throw Error(refused + "others may enter it; remove it or set XDG_RUNTIME_DIR");
}

std::string captureSocketPath() {
    return captureRuntimeFolder() + "/capture.socket";
}

std::string captureFifoPath() {
    return captureRuntimeFolder() + "/lpt1";
}

} // namespace marlet
