#pragma once

#include "base/Error.h"

#include <string>

namespace marlet {

/// A job stopped between two pages, by the user or by the page limit; the pages before
/// are whole.
class JobStopped : public Error {
public:
    /// The exit status of a printing program whose job was stopped.
    static constexpr int ExitStatus = 3;

    explicit JobStopped(const std::string& message) : Error(message) {}
};

} // namespace marlet
