#include "PrivateFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

bool makePrivateFolders(const std::string& folder) {
    // Printed invoices and the settings are nobody else's business.
    std::filesystem::path path(folder);
    std::filesystem::path made;
    for (const std::filesystem::path& part : path) {
        made /= part;
        if (mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            break;
    }
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

void makePrivateFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

} // namespace marlet
