#include "CapturePaths.h"

#include "base/Error.h"

#include <cerrno>
#include <cstdlib>
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
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw Error("Cannot create folder " + folder);
}

std::string captureSocketPath() {
    return captureRuntimeFolder() + "/capture.socket";
}

std::string captureFifoPath() {
    return captureRuntimeFolder() + "/lpt1";
}

} // namespace marlet
