#pragma once

#include <string>

namespace marlet {

/// The jobs that could not print, kept for the user beside the queue file in the folder
/// "QUEUE.failed": each job as "YYYY-MM-DD HH-MM-SS.prn" with the reason in a ".txt" of
/// the same name, so that one bad job never blocks the ones behind it.
class SetAsideJobs {
public:
    /// The folder of the queue file at queuePath.
    explicit SetAsideJobs(const std::string& queuePath) : m_folder(queuePath + ".failed") {}

    const std::string& folder() const { return m_folder; }

    /// Moves the claimed job into the folder with its reason, never over an earlier one,
    /// and returns where it went. A job that cannot be kept is deleted, and an empty
    /// string is returned.
    std::string keep(const std::string& claimed, const std::string& reason) const;

private:
    std::string m_folder;
};

} // namespace marlet
