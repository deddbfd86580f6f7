#include "DataFolder.h"

#include "base/Error.h"
#include "base/ProgramFolder.h"

#include <cstdlib>
#include <filesystem>

namespace marlet {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::vector<std::string> dataFolderCandidates() {
    std::vector<std::string> folders;
    if (std::string own = environment("MARLET_DATA_DIR"); !own.empty())
        folders.push_back(fs::absolute(own).string());
    std::string dataHome = environment("XDG_DATA_HOME");
    if (dataHome.empty() && !environment("HOME").empty())
        dataHome = environment("HOME") + "/.local/share";
    if (!dataHome.empty())
        folders.push_back((fs::absolute(dataHome) / "marlet").string());
    fs::path bin = programFolder();
    if (!bin.empty()) {
        folders.push_back((bin.parent_path() / "share/marlet").string());
        std::error_code error;
        if (fs::equivalent(bin, MARLET_BUILD_DIR, error))
            folders.push_back(MARLET_SOURCE_DATA_DIR);
    }
    return folders;
}

bool holdsData(const std::string& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        fs::path extension = it->path().extension();
        if ((extension == ".cp" || extension == ".lng") && it->is_regular_file(error))
            return true;
    }
    return false;
}

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
    std::string folder;
    if (dataDir) {
        folder = *dataDir;
    } else {
        std::vector<std::string> tried = dataFolderCandidates();
        for (const std::string& candidate : tried) {
            if (holdsData(candidate)) {
                folder = candidate;
                break;
            }
        }
        if (folder.empty()) {
            std::string list;
            for (const std::string& candidate : tried)
                list += (list.empty() ? "" : ", ") + candidate;
            throw Error("No data folder (code page tables and language files) in " + list +
                        "; name one with --data-dir or MARLET_DATA_DIR");
        }
    }
    std::error_code error;
    fs::current_path(folder, error);
    if (error)
        throw Error("Cannot open folder " + folder + ": " + error.message());
}

} // namespace marlet
