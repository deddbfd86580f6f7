#pragma once

#include "base/Error.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace marlet {

/// How the capture service is set up; every field has the default a user gets.
struct ServiceOptions {
    /// TCP feed address; none with "--listen none". Default 127.0.0.1:9100, or
    /// $MARLET_CAPTURE_LISTEN.
    std::optional<std::string> listen;
    /// The FIFO feed; none with "--fifo none". Default $XDG_RUNTIME_DIR/marlet/lpt1.
    std::optional<std::string> fifo;
    /// The control socket. Default $XDG_RUNTIME_DIR/marlet/capture.socket.
    std::string socket;
    /// Where bytes go with capture off; without one the port takes no data.
    std::optional<std::string> passThrough;
    /// Seconds to wait for the first connection before giving up; 0 waits for ever.
    int firstConnectionTimeout = 0;
    /// Seconds a TCP sender may stay silent before it is let go for one that waits;
    /// $MARLET_CAPTURE_IDLE_TIMEOUT, else 30.
    int idleTimeout = 30;
    bool help = false;

    /// Reads the command line (without the program name). Fails with a UsageError.
    static ServiceOptions parse(const std::vector<std::string>& arguments);
};

/// The command line's help text.
const char* serviceUsage();

} // namespace marlet
