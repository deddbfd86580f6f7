// marlet-capture: the capture service, which takes DOS printer output from emulators and
// virtual machines (a TCP port, a FIFO) and appends it to Marlet's queue file.

#include "capture/driver/CaptureService.h"

#include <csignal>
#include <cstdio>

using namespace marlet;

namespace {

void onStopSignal(int) {
    CaptureService::stop();
}

} // namespace

int main(int argc, char** argv) {
    ServiceOptions options;
    try {
        options = ServiceOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const ServiceUsageError& e) {
        std::fprintf(stderr, "marlet-capture: %s\n%s", e.what(), serviceUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(serviceUsage(), stdout);
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);
    try {
        CaptureService service(options);
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
        service.run();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
