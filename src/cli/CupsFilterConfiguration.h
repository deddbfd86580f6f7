#pragma once

#include <optional>
#include <string>

namespace marlet {

/// The CUPS filter's configuration file, lines "NAME VALUE" with # comments: Registry, the
/// system settings store (never a user's); DataDir, the data folder when not the installed
/// one.
struct CupsFilterConfiguration {
    std::string registry = "/var/lib/marlet/registry.db";
    std::optional<std::string> dataDir;

    /// $MARLET_CUPS_FILTER_CONF, else /etc/marlet/cups-filter.conf.
    static std::string path();
    /// Reads the file at path. Fails with "Cannot open file PATH", or with the file, the
    /// line number and what is wrong on it.
    static CupsFilterConfiguration read(const std::string& path);
};

} // namespace marlet
