#include "DataFolder.h"

#include "base/Error.h"

#include <cstdlib>
#include <filesystem>

namespace marlet {

namespace fs = std::filesystem;

void enterDataFolder(const std::optional<std::string>& dataDir,
                     std::initializer_list<std::optional<std::string>*> userPaths) {
    for (std::optional<std::string>* path : userPaths) {
        // "-" is standard input or output, not a file.
        if (*path && **path != "-")
            **path = fs::absolute(**path).string();
    }
    for (const char* name : {"MARLET_REGISTRY", "MARLET_PDF_DIR", "XDG_CONFIG_HOME",
                             "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(name);
        if (value && *value && fs::path(value).is_relative())
            setenv(name, fs::absolute(value).c_str(), 1);
    }
    if (!dataDir)
        return;
    std::error_code error;
    fs::current_path(*dataDir, error);
    if (error)
        throw Error("Cannot open folder " + *dataDir);
}

} // namespace marlet
