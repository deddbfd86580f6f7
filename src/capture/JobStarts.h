#pragma once

#include <string>

namespace marlet {

/// The mark a claimed job carries while it prints: how many runs of the resident app
/// started it and never saw it end. Written before the job starts and removed after, it
/// lets the next start notice a job that took the app down with it.
class JobStarts {
public:
    /// The mark of the claimed job at that path.
    explicit JobStarts(const std::string& claimed) : m_path(claimed + ".started") {}

    /// The starts that never ended; 0 without a mark.
    int count() const;
    /// Records that the job starts for the count-th time, on disk before it runs.
    void record(int count) const;
    /// The job ended, printed or set aside.
    void remove() const;

private:
    std::string m_path;
};

} // namespace marlet
