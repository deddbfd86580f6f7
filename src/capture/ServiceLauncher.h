#pragma once

#include <string>

namespace marlet {

/// Starts the capture service executable on its own, detached from the caller: it exits
/// when its last connection closes, or when nobody connects within ten seconds. False when
/// the executable could not be run at all.
bool startService(const std::string& executable);

} // namespace marlet
