#include "CupsFilterConfiguration.h"

#include "base/Error.h"

#include <cstdlib>
#include <fstream>

namespace marlet {

std::string CupsFilterConfiguration::path() {
    const char* own = std::getenv("MARLET_CUPS_FILTER_CONF");
    return own && *own ? own : "/etc/marlet/cups-filter.conf";
}

CupsFilterConfiguration CupsFilterConfiguration::read(const std::string& path) {
    std::ifstream file(path);
    if (!file)
        throw Error::cannotOpen(path);
    CupsFilterConfiguration configuration;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#')
            continue;
        const std::size_t space = line.find_first_of(" \t", start);
        const std::string name = line.substr(start, space - start);
        std::string value;
        if (space != std::string::npos) {
            const std::size_t from = line.find_first_not_of(" \t", space);
            const std::size_t to = line.find_last_not_of(" \t\r");
            if (from != std::string::npos)
                value = line.substr(from, to - from + 1);
        }
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (value.empty())
            throw Error(where + name + " needs a value");
        if (name == "Registry")
            configuration.registry = value;
        else if (name == "DataDir")
            configuration.dataDir = value;
        else
            throw Error(where + "unknown setting '" + name + "'");
    }
    return configuration;
}

} // namespace marlet
