#pragma once

#include <QString>

namespace marlet {

/// Whether a top-level window of this X display has that caption, letter case aside: the
/// settings window of a resident app that is already running. False without a display.
bool topLevelWindowExists(const QString& title);

/// The per-user lock that one resident app holds while it runs, named after the
/// case-folded caption of its settings window. The desktop app and the headless mode take
/// the same lock, so that only one of them captures.
class InstanceLock {
public:
    /// Tries to take the lock; acquired() says whether it was free. Fails with "Cannot
    /// create file PATH" when the lock file cannot be made.
    explicit InstanceLock(const QString& title);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool acquired() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace marlet
