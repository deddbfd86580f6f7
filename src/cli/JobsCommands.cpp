#include "JobsCommands.h"

#include "DataFolder.h"
#include "PrintCommand.h"
#include "PrintRun.h"
#include "capture/CapturePaths.h"
#include "config/DropList.h"
#include "config/FileBytes.h"
#include "config/SettingsPersistence.h"
#include "jobs/JobDump.h"

#include <algorithm>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

namespace marlet {

namespace {

std::string localTime(std::int64_t when) {
    std::time_t time = static_cast<std::time_t>(when);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string count(std::uint64_t number, const char* what) {
    return std::to_string(number) + " " + what + (number == 1 ? "" : "s");
}

} // namespace

int JobsCommands::run() {
    switch (m_arguments.command) {
    case JobsArguments::Command::List:
        list();
        break;
    case JobsArguments::Command::Show:
        show();
        break;
    case JobsArguments::Command::Print:
        return print();
    case JobsArguments::Command::Dump:
        dump();
        break;
    case JobsArguments::Command::Remove:
        remove();
        break;
    case JobsArguments::Command::Cancel:
        cancel();
        break;
    }
    return 0;
}

JobRecord JobsCommands::job() const {
    std::optional<JobRecord> record = m_history.find(m_arguments.job);
    if (!record)
        throw Error("There is no job " + std::to_string(m_arguments.job));
    return *record;
}

void JobsCommands::list() const {
    for (const JobRecord& record : m_history.list()) {
        m_out << record.number << '\t' << localTime(record.when) << '\t'
              << statusName(record.status) << '\t'
              << count(static_cast<std::uint64_t>(std::max(record.pages, 0)), "page") << '\t'
              << count(record.size, "byte") << '\t' << record.destination << '\n';
    }
}

void JobsCommands::show() const {
    const JobRecord record = job();
    m_out << "job " << record.number << '\n'
          << "when: " << localTime(record.when) << '\n'
          << "source: " << record.source << '\n'
          << "bytes: " << m_history.bytesPath(record.number) << " (" << record.size << " bytes)\n"
          << "state: " << statusName(record.status) << '\n'
          << "pages: " << record.pages << '\n'
          << "printed on: " << record.destination << '\n'
          << "scheme: " << record.scheme << '\n'
          << "code page: " << record.codePage << '\n';
    if (!record.message.empty())
        m_out << "message: " << record.message << '\n';
}

// Job N's bytes go to marlet-print's own code with the options given, as if typed.
int JobsCommands::print() const {
    const JobRecord record = job();
    std::vector<std::string> words{"marlet-print"};
    if (m_arguments.registry)
        words.insert(words.end(), {"--registry", *m_arguments.registry});
    if (m_arguments.dataDir)
        words.insert(words.end(), {"--data-dir", *m_arguments.dataDir});
    words.insert(words.end(), m_arguments.options.begin(), m_arguments.options.end());
    words.push_back(m_history.bytesPath(record.number));
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    m_out.flush();
    return runPrintCommand(static_cast<int>(words.size()), argv.data(), startQtBeside());
}

void JobsCommands::dump() const {
    const JobRecord record = job();
    std::optional<std::string> registry = m_arguments.registry;
    std::string bytesPath = m_history.bytesPath(record.number);
    std::optional<std::string> bytesFile = bytesPath;
    enterDataFolder(m_arguments.dataDir, {&registry, &bytesFile});
    std::unique_ptr<SettingsStore> store = openSettingsForReading(registry);
    Settings settings;
    restoreStoredSettings(*store, settings,
                          [this](const std::string& message) { m_out << message << '\n'; });
    ActiveScheme scheme;
    for (std::size_t i = 0; i + 1 < m_arguments.options.size(); i += 2) {
        const std::string& assignment = m_arguments.options[i + 1];
        const std::size_t equals = assignment.find('=');
        const std::string name = assignment.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : assignment.substr(equals + 1);
        if (strcasecmp(name.c_str(), "Sequence") == 0)
            scheme.chooseForRun(value);
        else if (strcasecmp(name.c_str(), "CodePage") == 0)
            settings.CodePage = value;
        else
            throw UsageError("dump takes --set Sequence=NAME and --set CodePage=N only");
    }
    scheme.LoadSequences(*store);
    CodePageTable table;
    table.load(settings.CodePage + ".cp");
    const std::vector<std::string> dropList = readDropList();
    std::optional<std::string> bytes = readFileBytes(*bytesFile);
    if (!bytes)
        throw Error::cannotOpen(*bytesFile);
    m_out << "job " << record.number << ", code page " << settings.CodePage << ", ";
    JobDump(scheme, dropList, table).write(m_out, *bytes, settings.InitStr);
}

void JobsCommands::remove() const {
    if (!m_history.remove(m_arguments.job))
        throw Error("There is no job " + std::to_string(m_arguments.job));
}

// The resident app holds its lock while it runs; its process id is in the lock file.
void JobsCommands::cancel() const {
    const std::vector<JobRecord> jobs = m_history.list();
    if (std::none_of(jobs.begin(), jobs.end(),
                     [](const JobRecord& job) { return job.status == JobStatus::Printing; }))
        throw Error("No job is printing");
    const std::string path = captureRuntimeFolder() + "/marlet.lock";
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    bool running = fd >= 0 && flock(fd, LOCK_SH | LOCK_NB) != 0;
    char text[16] = {};
    ssize_t got = running ? pread(fd, text, sizeof text - 1, 0) : 0;
    if (fd >= 0)
        ::close(fd);
    pid_t pid = 0;
    for (ssize_t i = 0; i < got && text[i] >= '0' && text[i] <= '9' && pid < 100000000; ++i)
        pid = pid * 10 + (text[i] - '0');
    if (!running || pid <= 0 || ::kill(pid, SIGUSR1) != 0)
        throw Error("Marlet is not running");
}

} // namespace marlet
