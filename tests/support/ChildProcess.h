#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace marlet::testing {

/// A program the test starts and always stops by its process id.
class ChildProcess {
public:
    /// Runs program with arguments; environment entries "NAME=VALUE" are added to the
    /// test's own. Standard output and error go to the files given, if any.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment = {},
                 const std::string& output = "/dev/null") {
        m_pid = fork();
        if (m_pid == 0) {
            for (const std::string& entry : environment)
                putenv(const_cast<char*>(entry.c_str()));
            if (FILE* out = std::freopen(output.c_str(), "w", stdout))
                dup2(fileno(out), STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
    }
    ~ChildProcess() {
        if (running()) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool running() const { return m_pid > 0 && !m_status; }
    /// Whether the program has ended, without waiting for it.
    bool exited() { return wait(std::chrono::milliseconds(0)) != -1 || !running(); }

    /// Waits up to limit for the program to end; its exit status, or -1 when it runs on
    /// or ended by a signal.
    int wait(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (running()) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return *m_status;
    }
    /// Sends SIGTERM and waits for the end.
    int terminate() {
        if (running())
            kill(m_pid, SIGTERM);
        return wait();
    }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

/// Polls condition every few milliseconds until it holds or limit passes.
template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

/// A TCP port on 127.0.0.1 that nobody listens on at the moment. Tests run side by side,
/// each in a process of its own, and a port is only taken once a service binds it: each
/// process looks from a point of its own below the kernel's ephemeral ports, so that two
/// tests seldom pick the same one, as two that asked the kernel for a free port did.
inline int freeLoopbackPort() {
    constexpr int First = 10000, End = 30000;
    static int next = First + static_cast<int>(getpid() % 1000) * 20;
    for (int tried = 0; tried < End - First; ++tried) {
        const int port = next;
        next = next + 1 == End ? First : next + 1;
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool free = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(fd);
        if (free)
            return port;
    }
    return 0;
}

/// Connects to 127.0.0.1:port and leaves the connection open, as an emulator does for its
/// whole run; -1 when nobody listens.
inline int connectToPort(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

/// Connects to 127.0.0.1:port, sends bytes and closes; false when nobody listens.
inline bool sendToPort(int port, const std::string& bytes) {
    int fd = connectToPort(port);
    bool sent = fd >= 0;
    for (std::size_t done = 0; sent && done < bytes.size();) {
        ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        sent = wrote > 0;
        done += sent ? static_cast<std::size_t>(wrote) : 0;
    }
    if (fd >= 0)
        close(fd);
    return sent;
}

} // namespace marlet::testing
