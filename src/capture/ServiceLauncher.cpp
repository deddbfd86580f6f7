#include "ServiceLauncher.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlet {

bool startService(const std::string& executable) {
    // The pipe closes on a successful exec; a failed one writes its error into it first.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    pid_t child = fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // A second fork leaves the service to init, so no one has to wait for it.
        setsid();
        if (fork() != 0)
            _exit(0);
        ::close(report[0]);
        int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
        }
        execl(executable.c_str(), executable.c_str(), "--first-connection-timeout", "10",
              static_cast<char*>(nullptr));
        int error = errno;
        [[maybe_unused]] ssize_t ignored = write(report[1], &error, sizeof error);
        _exit(127);
    }
    ::close(report[1]);
    int status = 0;
    waitpid(child, &status, 0);
    int error = 0;
    ssize_t got;
    do
        got = read(report[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return got == 0;
}

} // namespace marlet
