#pragma once

#include "app/Application.h"
#include "render/VirtualPaper.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace marlet {

/// A command line that cannot be understood; the tool exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What marlet-print was asked to do.
struct PrintOptions {
    std::optional<std::string> file; // "-" is standard input; none is the queue file
    std::optional<std::string> output;
    std::optional<std::string> printer;
    std::optional<std::string> trace;
    std::optional<std::string> dataDir;
    std::optional<std::string> registry;
    std::vector<SettingOverride> overrides;
    VirtualPaper paper;
    bool geometry = false;
    bool help = false;

    /// Reads the arguments (without the program name).
    static PrintOptions parse(const std::vector<std::string>& arguments);
};

/// The usage text of marlet-print.
const char* printUsage();

} // namespace marlet
