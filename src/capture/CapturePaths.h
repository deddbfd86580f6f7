#pragma once

#include <string>

namespace marlet {

/// The user's private folder for the capture service's socket and FIFO:
/// $XDG_RUNTIME_DIR/marlet, or /tmp/marlet-UID when the session has no runtime folder.
std::string captureRuntimeFolder();
/// Makes the runtime folder with makeOwnFolder().
void makeCaptureRuntimeFolder();
/// Makes folder readable by the user alone, or takes an existing one only when it is a real
/// folder (no symbolic link) of this user that nobody else may enter. Fails with "Cannot
/// create folder PATH" or "The folder PATH is not the user's own: …".
void makeOwnFolder(const std::string& folder);
/// The capture service's control socket.
std::string captureSocketPath();
/// The FIFO that stands for the first printer port.
std::string captureFifoPath();

} // namespace marlet
