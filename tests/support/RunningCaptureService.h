#pragma once

#include "ChildProcess.h"
#include "TempFolder.h"
#include "capture/CaptureClient.h"

#include <filesystem>
#include <memory>

namespace marlet::testing {

/// marlet-capture started by the test in a folder of its own: its socket, its FIFO, its
/// queue file, and a TCP port on 127.0.0.1 that was free.
class RunningCaptureService {
public:
    explicit RunningCaptureService(std::vector<std::string> extra = {}) {
        // A port that was free may be taken by a test running beside this one before the
        // service binds it: the service then ends, and another port is tried.
        for (int attempt = 0; attempt < 5 && !up; ++attempt) {
            port = freeLoopbackPort();
            std::vector<std::string> arguments{"--socket", socket,
                                               "--fifo",   fifo,
                                               "--listen", "127.0.0.1:" + std::to_string(port)};
            arguments.insert(arguments.end(), extra.begin(), extra.end());
            process = std::make_unique<ChildProcess>(
                MARLET_BINARY_DIR "/marlet-capture", arguments,
                std::vector<std::string>{"XDG_RUNTIME_DIR=" + folder.file("run")},
                folder.file("service.log"));
            waitFor([&] { return std::filesystem::exists(socket) || process->exited(); });
            up = std::filesystem::exists(socket) && !process->exited();
        }
    }

    /// Where a CaptureClient finds this service; nothing is started when it does not answer.
    DriverLocation location() const { return {socket, folder.file("no-such-service")}; }

    TempFolder folder;
    std::string socket = folder.file("capture.socket");
    std::string fifo = folder.file("lpt1");
    std::string queue = folder.file("prnspl");
    int port = 0;
    std::unique_ptr<ChildProcess> process;
    bool up = false;
};

} // namespace marlet::testing
