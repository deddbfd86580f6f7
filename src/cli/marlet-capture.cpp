// marlet-capture: the capture service, which takes DOS printer output from emulators and
// virtual machines (a TCP port, a FIFO) and appends it to Marlet's queue file.

#include "ProgramMain.h"
#include "capture/driver/CaptureService.h"

#include <csignal>

using namespace marlet;

namespace {

void onStopSignal(int) {
    CaptureService::stop();
}

} // namespace

int main(int argc, char** argv) {
    return runProgram<ServiceOptions>({"marlet-capture", serviceUsage()}, argc, argv,
                                      [](ServiceOptions& options) {
                                          std::signal(SIGPIPE, SIG_IGN);
                                          CaptureService service(options);
                                          struct sigaction action {};
                                          action.sa_handler = onStopSignal;
                                          sigaction(SIGTERM, &action, nullptr);
                                          sigaction(SIGINT, &action, nullptr);
                                          service.run();
                                          return 0;
                                      });
}
