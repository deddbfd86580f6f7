#pragma once

#include <string>

namespace marlet {

/// Standard input spooled to a private temporary file, removed when the job is done, so
/// that a job reads it as it reads the queue file.
class SpooledInput {
public:
    /// Reads standard input to its end. Fails with "Cannot create file PATH" or "Cannot
    /// write file PATH".
    SpooledInput();
    ~SpooledInput();
    SpooledInput(const SpooledInput&) = delete;
    SpooledInput& operator=(const SpooledInput&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace marlet
