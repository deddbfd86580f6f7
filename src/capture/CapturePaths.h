#pragma once

#include <string>

namespace marlet {

/// The user's private folder for the capture service's socket and FIFO:
/// $XDG_RUNTIME_DIR/marlet, or /tmp/marlet-UID when the session has no runtime folder.
std::string captureRuntimeFolder();
/// Makes the runtime folder, readable by the user alone; fails with "Cannot create folder".
void makeCaptureRuntimeFolder();
/// The capture service's control socket.
std::string captureSocketPath();
/// The FIFO that stands for the first printer port.
std::string captureFifoPath();

} // namespace marlet
