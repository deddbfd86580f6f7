#pragma once

#include <sys/types.h>

namespace marlet {

/// Raises the shown top-level windows of process pid on this X display: the settings
/// window of the resident app that holds the lock. False when that process shows none, or
/// without a display.
bool raiseWindowsOf(pid_t pid);

/// The per-user lock that one resident app holds while it runs. Its name is fixed, whatever
/// the interface language, and it alone decides: the desktop app and the headless mode
/// take the same lock, so that only one of them captures. The holder's process id is
/// written in it.
class InstanceLock {
public:
    /// Tries to take the lock; acquired() says whether it was free. Fails with "Cannot
    /// create file PATH" when the lock file cannot be made.
    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool acquired() const { return m_acquired; }
    /// The process that holds the lock when this one did not get it; 0 when it does not say.
    pid_t holder() const;

private:
    int m_fd = -1;
    bool m_acquired = false;
};

} // namespace marlet
