#pragma once

#include "render/ProgressDisplay.h"

#include <string>

namespace marlet {

/// What the resident session needs from the face that shows it: the desktop app's message
/// box, tray icon, buttons and timer, or the headless mode's stderr and poll loop. The
/// progress frames of a job come through ProgressDisplay.
class ResidentHost : public ProgressDisplay {
public:
    /// Shows a failure to the user; the session goes on.
    virtual void reportError(const std::string& message) = 0;
    /// Enables or disables the queue commands (print the queue, clear it).
    virtual void enableQueueCommands(bool enabled) = 0;
    /// Shows the waiting-job icon, or takes it away.
    virtual void showWaitingIcon(bool shown) = 0;
    /// Arms the queue timer to tick every milliseconds; 0 stops it.
    virtual void armQueueTimer(int milliseconds) = 0;
    /// A job starts or ends printing: while one prints, the face offers to stop it and
    /// holds back the commands that would start another.
    virtual void showPrinting(bool /*printing*/) {}
};

} // namespace marlet
