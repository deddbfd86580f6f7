#include "ChildJobRunner.h"

#include "Application.h"
#include "base/Error.h"
#include "base/ProgramFolder.h"
#include "render/JobStopped.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlet {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The settings a job prints with; the others steer the resident app alone.
constexpr const char* JobSettingNames[] = {
    "Orientation",   "LineWrap", "PageFeed", "TopMargin",  "LeftMargin",
    "FontName",      "FontSize", "FontBold", "FontItalic", "FontUnderline",
    "FontStrikeout", "CodePage", "InitStr"};

// The file descriptor the child writes its progress lines to.
constexpr int ProgressFd = 3;

// A byte in this pipe asks the printing job to stop; a signal handler may write it.
int cancelPipe[2] = {-1, -1};

void openCancelPipe() {
    if (cancelPipe[0] < 0 && pipe2(cancelPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Error("Cannot start the resident app");
}

// A cancel that came as the job ended is for no other job.
void forgetCancels() {
    char bytes[64];
    while (::read(cancelPipe[0], bytes, sizeof bytes) > 0) {
    }
}
// How often the face takes its user's commands while a job prints.
constexpr int AnswerPeriodMs = 100;

// What is kept of the child's standard error: its last message is all that is needed.
constexpr std::size_t KeptErrorBytes = 4096;

std::string settingText(const Settings& settings, const SettingField& field) {
    switch (field.kind) {
    case SettingKind::Integer:
        return std::to_string(settings.*field.integer);
    case SettingKind::Boolean:
        return settings.*field.boolean ? "1" : "0";
    case SettingKind::Byte:
        return std::to_string(settings.*field.byte);
    case SettingKind::Text:
        break;
    }
    return settings.*field.text;
}

// In the forked child: only calls that are safe between fork and exec.
[[noreturn]] void startChild(const char* program, char* const* argv, const JobLimits& limits,
                             int progress, int errors, const std::string& failure, pid_t parent) {
    // A job whose resident app was killed is printed again at its next start: this one
    // must not finish it as well.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A cancel that comes before marlet-print listens for it waits for it, blocked.
    sigset_t cancel;
    sigemptyset(&cancel);
    sigaddset(&cancel, SIGUSR1);
    sigprocmask(SIG_BLOCK, &cancel, nullptr);
    if (getppid() != parent)
        _exit(127);
    setpgid(0, 0);
    if (limits.memoryBytes > 0) {
        rlimit memory{limits.memoryBytes, limits.memoryBytes};
        setrlimit(RLIMIT_AS, &memory);
    }
    // SIGXCPU at the limit; SIGKILL a little later if the child catches it.
    rlimit cpu{static_cast<rlim_t>(limits.cpuSeconds), static_cast<rlim_t>(limits.cpuSeconds) + 5};
    setrlimit(RLIMIT_CPU, &cpu);
    int nothing = ::open("/dev/null", O_RDWR);
    dup2(nothing, STDIN_FILENO);
    dup2(nothing, STDOUT_FILENO);
    dup2(errors, STDERR_FILENO);
    if (progress == ProgressFd)
        fcntl(ProgressFd, F_SETFD, 0);
    else
        dup2(progress, ProgressFd);
    execv(program, argv);
    [[maybe_unused]] ssize_t ignored = ::write(STDERR_FILENO, failure.data(), failure.size());
    _exit(127);
}

// The message of the child's last line, without its "marlet-print: " in front.
std::string lastMessage(std::string text) {
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    std::string line = text.substr(text.find_last_of('\n') + 1);
    for (const char* program : {"marlet-print-qt: ", "marlet-print: "})
        if (line.starts_with(program))
            return line.substr(std::strlen(program));
    return line;
}

// Whether text holds from its byte from on a count of at most digits digits; nine keep
// std::stoi within an int.
bool isCount(const std::string& text, std::size_t from, std::size_t digits) {
    return text.size() > from && text.size() <= from + digits &&
           text.find_first_not_of("0123456789", from) == std::string::npos;
}

// Sends the frames of whole "frame N" and "done" lines on to the application, and the
// files of "wrote PATH" lines to whoever names them to the user; counts "page N" lines.
// Returns the pages of a "held N" line: the job waits at the page limit for an answer.
std::optional<int> showProgress(std::string& pending, Application& app, bool& shown,
                                PrintedJob& job, const ChildJobRunner::FileWritten& fileWritten) {
    std::optional<int> held;
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;
         pending.erase(0, end + 1)) {
        std::string line = pending.substr(0, end);
        if (line == "done") {
            app.UpdateProgress(255);
            shown = false;
        } else if (line.starts_with("wrote ")) {
            job.pdf = line.substr(6);
            if (fileWritten)
                fileWritten(job.pdf);
        } else if (line.starts_with("page ") && isCount(line, 5, 9)) {
            job.pages = std::stoi(line.substr(5));
        } else if (line.starts_with("held ") && isCount(line, 5, 9)) {
            held = std::stoi(line.substr(5));
        } else if (line.starts_with("frame ") && isCount(line, 6, 2)) {
            int frame = std::stoi(line.substr(6));
            if (frame <= 15) {
                app.UpdateProgress(static_cast<std::uint8_t>(frame));
                shown = true;
            }
        }
    }
    return held;
}

} // namespace

ChildJobRunner::ChildJobRunner(std::string program, std::string registry, JobLimits limits,
                               FileWritten fileWritten)
    : m_program(std::move(program)), m_registry(std::move(registry)), m_limits(limits),
      m_fileWritten(std::move(fileWritten)) {
    openCancelPipe();
}

void ChildJobRunner::requestCancel() {
    if (cancelPipe[1] >= 0) {
        char byte = 0;
        [[maybe_unused]] ssize_t ignored = ::write(cancelPipe[1], &byte, 1);
    }
}

std::string ChildJobRunner::installedProgram() {
    return (programFolder() / "marlet-print").string();
}

std::vector<std::string> ChildJobRunner::arguments(const std::string& path,
                                                   const std::string& printer,
                                                   const Application& app) const {
    std::vector<std::string> arguments{"--registry",
                                       fs::absolute(m_registry).string(),
                                       "--data-dir",
                                       fs::current_path().string(),
                                       "-P",
                                       printer,
                                       "--progress-fd",
                                       std::to_string(ProgressFd)};
    for (const char* name : JobSettingNames) {
        arguments.push_back("--set");
        arguments.push_back(std::string(name) + "=" +
                            settingText(app.settings(), *findSettingField(name)));
    }
    // Absolute, so that no queue file name passes for an option.
    arguments.push_back(fs::absolute(path).string());
    return arguments;
}

PrintedJob ChildJobRunner::print(const std::string& path, const std::string& printer,
                                 Application& app) {
    std::vector<std::string> words = arguments(path, printer, app);
    std::vector<char*> argv{m_program.data()};
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string failure = "Cannot run " + m_program + "\n";

    int progress[2];
    int errors[2];
    if (pipe2(progress, O_CLOEXEC) != 0)
        throw Error("Cannot run " + m_program);
    if (pipe2(errors, O_CLOEXEC) != 0) {
        ::close(progress[0]);
        ::close(progress[1]);
        throw Error("Cannot run " + m_program);
    }
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0)
        startChild(m_program.c_str(), argv.data(), m_limits, progress[1], errors[1], failure,
                   parent);
    ::close(progress[1]);
    ::close(errors[1]);
    if (pid < 0) {
        ::close(progress[0]);
        ::close(errors[0]);
        throw Error("Cannot run " + m_program);
    }

    // Both pipes are read to their end, or until the job's time is up; the time the user
    // takes to answer at the page limit does not count.
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(m_limits.wallSeconds);
    pollfd fds[3] = {{progress[0], POLLIN, 0}, {errors[0], POLLIN, 0}, {cancelPipe[0], POLLIN, 0}};
    std::string pending, errorText;
    PrintedJob job;
    bool shown = false;
    bool timedOut = false;
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        if (poll(fds, 3, static_cast<int>(std::min<long long>(left, AnswerPeriodMs))) < 0 &&
            errno != EINTR)
            break;
        if (fds[2].revents != 0) {
            // The child stops before its next page and ends its document there.
            forgetCancels();
            job.cancelled = true;
            kill(pid, SIGUSR1);
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char chunk[1024];
            ssize_t got = ::read(fds[i].fd, chunk, sizeof chunk);
            if (got <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
            } else if (i == 0) {
                pending.append(chunk, static_cast<std::size_t>(got));
                if (std::optional<int> held =
                        showProgress(pending, app, shown, job, m_fileWritten)) {
                    const Clock::time_point asked = Clock::now();
                    const bool goOn = !job.cancelled && app.progress().goOnPastPageLimit(*held);
                    deadline += Clock::now() - asked;
                    kill(pid, goOn ? SIGUSR2 : SIGUSR1);
                }
            } else {
                errorText.append(chunk, static_cast<std::size_t>(got));
                if (errorText.size() > KeptErrorBytes)
                    errorText.erase(0, errorText.size() - KeptErrorBytes);
            }
        }
        app.progress().whilePrinting();
    }
    for (int i = 0; i < 2; ++i)
        if (fds[i].fd >= 0)
            ::close(fds[i].fd);
    // The whole group: marlet-print may have handed the job to marlet-print-qt.
    if (timedOut)
        kill(-pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    forgetCancels();
    if (shown)
        app.UpdateProgress(255);

    if (timedOut)
        throw Error("The job did not print within " + std::to_string(m_limits.wallSeconds) +
                    " seconds and was stopped");
    if (WIFSIGNALED(status)) {
        int signal = WTERMSIG(status);
        if (signal == SIGXCPU)
            throw Error("The job took more than " + std::to_string(m_limits.cpuSeconds) +
                        " seconds of processor time and was stopped");
        throw Error("The job's printing process crashed (signal " + std::to_string(signal) + ", " +
                    strsignal(signal) + ")");
    }
    int exitStatus = WEXITSTATUS(status);
    std::string message = lastMessage(errorText);
    if (exitStatus == JobStopped::ExitStatus && job.cancelled)
        return job;
    // A job that ended by itself while the cancel was on its way printed whole.
    job.cancelled = false;
    if (exitStatus == 0)
        return job;
    if (exitStatus == JobStopped::ExitStatus && !message.empty())
        throw JobStopped(message, job.pages);
    if (message == "std::bad_alloc")
        throw Error("The job needed more than " + std::to_string(m_limits.memoryBytes >> 20) +
                    " MB of memory and was stopped");
    if (message.empty())
        throw Error("The job's printing process ended with status " + std::to_string(exitStatus));
    throw Error(message);
}

} // namespace marlet
