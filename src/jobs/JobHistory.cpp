#include "JobHistory.h"

#include "base/Error.h"
#include "base/PrivateFolder.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace marlet {

namespace {

namespace fs = std::filesystem;

constexpr const char* BytesSuffix = ".prn";
constexpr const char* RecordSuffix = ".job";
constexpr const char* PartSuffix = ".part";

// The number of a name "N.prn" or "N.job", or 0.
int numberOf(const std::string& name, const char* suffix) {
    const std::string_view end(suffix);
    if (name.size() <= end.size() || !name.ends_with(end))
        return 0;
    int number = 0;
    const char* last = name.data() + name.size() - end.size();
    auto [stop, error] = std::from_chars(name.data(), last, number);
    return error == std::errc() && stop == last && number > 0 ? number : 0;
}

// A part name ".N.prn.PID.part": the writer's process id, or 0.
pid_t writerOf(const std::string& name) {
    if (!name.starts_with(".") || !name.ends_with(PartSuffix))
        return 0;
    std::string inner = name.substr(0, name.size() - std::string_view(PartSuffix).size());
    std::size_t dot = inner.rfind('.');
    pid_t pid = 0;
    auto [stop, error] = std::from_chars(inner.data() + dot + 1, inner.data() + inner.size(), pid);
    return error == std::errc() && stop == inner.data() + inner.size() ? pid : 0;
}

std::string partName(const std::string& folder, const std::string& name) {
    return folder + "/." + name + "." + std::to_string(getpid()) + PartSuffix;
}

// Writes everything; false on a short write.
bool writeAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        ssize_t put = ::write(fd, bytes, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// Copies the file at from into a new private file at to; fails with the file's message.
void copyPrivately(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        throw Error::cannotOpen(from);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        Error failure = Error::cannotCreate(to);
        ::close(in);
        throw failure;
    }
    char buffer[1 << 16];
    bool written = true;
    for (ssize_t got; written && (got = ::read(in, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        written = got > 0 && writeAll(out, buffer, static_cast<std::size_t>(got));
    }
    ::close(in);
    if (::close(out) != 0 || !written) {
        std::remove(to.c_str());
        throw Error("Cannot write file " + to);
    }
}

std::uint64_t fileSize(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
}

std::uint64_t byteBound(const HistoryLimits& limits) {
    return static_cast<std::uint64_t>(std::max(limits.megabytes, 0)) << 20;
}

} // namespace

std::string JobHistory::defaultFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state)
        return std::string(state) + "/marlet/jobs";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/marlet/jobs";
}

std::string JobHistory::bytesPath(int number) const {
    return m_folder + "/" + std::to_string(number) + BytesSuffix;
}

std::string JobHistory::recordPath(int number) const {
    return m_folder + "/" + std::to_string(number) + RecordSuffix;
}

bool JobHistory::add(const std::string& bytesPath, JobRecord& record, HistoryLimits limits) {
    record.size = fileSize(bytesPath);
    if (limits.jobs <= 0 || record.size > byteBound(limits)) {
        trim(limits);
        return false;
    }
    if (!makePrivateFolders(m_folder))
        throw Error::cannotCreate(m_folder);
    int number = 1;
    std::error_code error;
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        number =
            std::max({number, numberOf(name, BytesSuffix) + 1, numberOf(name, RecordSuffix) + 1});
    }
    const std::string part = partName(m_folder, std::to_string(number) + BytesSuffix);
    copyPrivately(bytesPath, part);
    // Never over a job another writer numbered meanwhile.
    while (renameat2(AT_FDCWD, part.c_str(), AT_FDCWD, this->bytesPath(number).c_str(),
                     RENAME_NOREPLACE) != 0) {
        if (errno != EEXIST) {
            std::remove(part.c_str());
            throw Error::cannotCreate(this->bytesPath(number));
        }
        ++number;
    }
    record.number = number;
    writeRecord(record);
    trim(limits);
    return true;
}

void JobHistory::writeRecord(const JobRecord& record) const {
    const std::string part = partName(m_folder, std::to_string(record.number) + RecordSuffix);
    const std::string text = record.toText();
    int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        throw Error::cannotCreate(part);
    bool written = writeAll(fd, text.data(), text.size());
    if (::close(fd) != 0 || !written ||
        std::rename(part.c_str(), recordPath(record.number).c_str()) != 0) {
        std::remove(part.c_str());
        throw Error("Cannot write file " + recordPath(record.number));
    }
}

void JobHistory::update(const JobRecord& record) const {
    if (::access(bytesPath(record.number).c_str(), F_OK) == 0)
        writeRecord(record);
}

std::optional<JobRecord> JobHistory::find(int number) const {
    if (number <= 0 || ::access(bytesPath(number).c_str(), F_OK) != 0)
        return std::nullopt;
    std::ifstream in(recordPath(number), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    std::optional<JobRecord> record = JobRecord::parse(text.str());
    if (record && record->number != number)
        return std::nullopt;
    return record;
}

std::vector<JobRecord> JobHistory::list() const {
    std::vector<int> numbers;
    std::error_code error;
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end;
         it.increment(error)) {
        if (int number = numberOf(it->path().filename().string(), RecordSuffix))
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<JobRecord> records;
    for (int number : numbers)
        if (std::optional<JobRecord> record = find(number))
            records.push_back(std::move(*record));
    return records;
}

bool JobHistory::remove(int number) const {
    if (number <= 0)
        return false;
    // Unlisted first: a reader never finds a record whose bytes are gone.
    bool listed = std::remove(recordPath(number).c_str()) == 0;
    bool kept = std::remove(bytesPath(number).c_str()) == 0;
    return listed || kept;
}

void JobHistory::trim(HistoryLimits limits) const {
    sweepLeftovers();
    std::vector<JobRecord> jobs = list();
    std::uint64_t total = 0;
    for (const JobRecord& job : jobs)
        total += fileSize(bytesPath(job.number)) + fileSize(recordPath(job.number));
    const std::size_t most = static_cast<std::size_t>(std::max(limits.jobs, 0));
    const std::uint64_t bound = byteBound(limits);
    for (std::size_t oldest = 0;
         oldest < jobs.size() && (jobs.size() - oldest > most || total > bound); ++oldest) {
        const int number = jobs[oldest].number;
        const std::uint64_t size = fileSize(bytesPath(number)) + fileSize(recordPath(number));
        remove(number);
        total -= std::min(total, size);
    }
}

void JobHistory::sweepLeftovers() const {
    // Bytes without a record, and parts of a writer that is gone, are what a kill left.
    std::error_code error;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (pid_t writer = writerOf(name)) {
            if (writer != getpid() && ::kill(writer, 0) != 0 && errno == ESRCH)
                leftovers.push_back(it->path());
        } else if (int number = numberOf(name, BytesSuffix)) {
            if (::access(recordPath(number).c_str(), F_OK) != 0)
                leftovers.push_back(it->path());
        }
    }
    for (const fs::path& leftover : leftovers)
        fs::remove(leftover, error);
}

void JobHistory::markInterrupted() const {
    for (JobRecord record : list()) {
        if (record.status != JobStatus::Printing)
            continue;
        record.status = JobStatus::Failed;
        record.message = "Marlet stopped while this job printed";
        update(record);
    }
}

} // namespace marlet
