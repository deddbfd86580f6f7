#pragma once

namespace marlet {

/// Where a running job shows how far it has come: the tray icon's sixteen frames, or a
/// bar on a terminal.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;

    /// Shows frame 0..15: about that many sixteenths of the job done.
    virtual void showFrame(int frame) = 0;
    /// Puts the application's own icon back.
    virtual void restoreIcon() = 0;
};

} // namespace marlet
