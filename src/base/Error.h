#pragma once

#include <stdexcept>
#include <string>

namespace marlet {

/// A failure the user sees: the message is shown as it stands.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}

    /// A value that does not fit its field, or a count out of bounds.
    static Error rangeCheck() { return Error("Range check error"); }
    /// A file that cannot be opened for reading, with the system's reason when there is one
    /// ("Cannot open file /tmp: Is a directory").
    static Error cannotOpen(const std::string& name);
    /// A file that cannot be created; the reason is errno, so call it straight after the
    /// call that failed.
    static Error cannotCreate(const std::string& name);
    /// Text that the integer conversion refuses.
    static Error notAnInteger(const std::string& text) {
        return Error("'" + text + "' is not a valid integer value");
    }
};

/// A command line that cannot be understood; the program exits with status 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace marlet
