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

    /// pages is how many the job printed before the stop.
    JobStopped(const std::string& message, int pages) : Error(message), m_pages(pages) {}

    int pages() const { return m_pages; }

private:
    int m_pages;
};

} // namespace marlet
