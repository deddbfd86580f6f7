#pragma once

#include "app/Application.h"
#include "base/Error.h"
#include "render/VirtualPaper.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace marlet {

/// What marlet-print was asked to do.
struct PrintOptions {
    std::optional<std::string> file; // "-" is standard input; none is the queue file
    std::optional<std::string> output;
    std::optional<std::string> printer;
    std::optional<std::string> trace;
    std::optional<std::string> dataDir;
    std::optional<std::string> registry;
    std::vector<SettingOverride> overrides;
    VirtualPaper paper;            // the device the job is laid out on: the PDF printer's sheet
    std::optional<int> pictureDpi; // PNG pages' resolution; none is the paper's
    std::optional<int> progressFd; // progress as lines there instead of a terminal bar
    bool geometry = false;
    bool help = false;

    /// Reads the arguments (without the program name).
    static PrintOptions parse(const std::vector<std::string>& arguments);
};

/// The usage text of marlet-print.
const char* printUsage();

} // namespace marlet
