#pragma once

#include <string>

namespace marlet {

/// What the queue monitor needs from the application that owns it: the print job driver,
/// the general error report, the queue timer, the queue commands and the waiting-job icon.
class SpoolHost {
public:
    virtual ~SpoolHost() = default;

    /// Prints a file with the settings in force; fails with the job's error.
    virtual void printFile(const std::string& path) = 0;
    /// Shows a failure to the user (the "Marlet" message box, or a line on stderr).
    virtual void reportError(const std::string& message) = 0;
    /// Sets the queue timer's interval; 0 stops it.
    virtual void setQueueInterval(int milliseconds) = 0;
    /// Enables or disables the four queue commands (two buttons, two menu commands).
    virtual void enableQueueCommands(bool enabled) = 0;
    /// Adds the waiting-job icon to the notification area, or removes it.
    virtual void showWaitingIcon(bool shown) = 0;
    /// Whether the capture driver still holds bytes it has not written to the queue file.
    virtual bool captureHoldsBytes() = 0;
};

} // namespace marlet
