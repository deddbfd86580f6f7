#include "ServiceOptions.h"

#include "base/Error.h"
#include "capture/CapturePaths.h"

#include <cstdlib>

namespace marlet {

namespace {

std::optional<std::string> orNone(const std::string& value) {
    if (value == "none")
        return std::nullopt;
    return value;
}

int idleSeconds(const std::string& value) {
    char* end = nullptr;
    long seconds = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end || seconds < 1 || seconds > 86400)
        throw UsageError("--idle-timeout takes 1 to 86400 seconds");
    return static_cast<int>(seconds);
}

} // namespace

ServiceOptions ServiceOptions::parse(const std::vector<std::string>& arguments) {
    ServiceOptions options;
    const char* listen = std::getenv("MARLET_CAPTURE_LISTEN");
    options.listen =
        listen && *listen ? orNone(listen) : std::optional<std::string>("127.0.0.1:9100");
    options.fifo = captureFifoPath();
    options.socket = captureSocketPath();
    if (const char* idle = std::getenv("MARLET_CAPTURE_IDLE_TIMEOUT"); idle && *idle)
        options.idleTimeout = idleSeconds(idle);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "-h" || name == "--help") {
            options.help = true;
            continue;
        }
        if (i + 1 >= arguments.size())
            throw UsageError(name == "--listen" || name == "--fifo" || name == "--socket" ||
                                     name == "--pass-through" ||
                                     name == "--first-connection-timeout" ||
                                     name == "--idle-timeout"
                                 ? name + " needs a value"
                                 : "unknown option " + name);
        const std::string& value = arguments[++i];
        if (name == "--listen") {
            options.listen = orNone(value);
        } else if (name == "--fifo") {
            options.fifo = orNone(value);
        } else if (name == "--socket") {
            options.socket = value;
        } else if (name == "--pass-through") {
            options.passThrough = value;
        } else if (name == "--first-connection-timeout") {
            char* end = nullptr;
            long seconds = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || seconds < 0 || seconds > 3600)
                throw UsageError("--first-connection-timeout takes 0 to 3600 seconds");
            options.firstConnectionTimeout = static_cast<int>(seconds);
        } else if (name == "--idle-timeout") {
            options.idleTimeout = idleSeconds(value);
        } else {
            throw UsageError("unknown option " + name);
        }
    }
    return options;
}

const char* serviceUsage() {
    return "Usage: marlet-capture [options]\n"
           "Takes DOS printer output from emulators and virtual machines and appends it to\n"
           "the queue file that Marlet prints from.\n"
           "  --listen ADDRESS:PORT   raw TCP printer port (127.0.0.1:9100; none to close it)\n"
           "  --fifo PATH             FIFO printer port ($XDG_RUNTIME_DIR/marlet/lpt1; none)\n"
           "  --socket PATH           control socket ($XDG_RUNTIME_DIR/marlet/capture.socket)\n"
           "  --pass-through PATH     where printing goes while capture is off\n"
           "  --first-connection-timeout SECONDS  exit when nobody connects in time\n"
           "  --idle-timeout SECONDS  let a silent TCP sender go when another waits\n"
           "                          ($MARLET_CAPTURE_IDLE_TIMEOUT, else 30)\n";
}

} // namespace marlet
