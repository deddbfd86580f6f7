#pragma once

namespace marlet {

/// Where a running job shows how far it has come: the tray icon's sixteen frames, or a
/// bar on a terminal; and who answers for the user while a job prints in another process.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;

    /// Shows frame 0..15: about that many sixteenths of the job done.
    virtual void showFrame(int frame) = 0;
    /// Puts the application's own icon back.
    virtual void restoreIcon() = 0;
    /// Called every tenth of a second or so while a job prints in another process: a face
    /// takes its user's commands here (a cancel).
    virtual void whilePrinting() {}
    /// The job has started as many pages as the page limit allows and waits before the
    /// next: true lets it print the rest, false stops it there.
    virtual bool goOnPastPageLimit(int /*pages*/) { return false; }
};

} // namespace marlet
