#include "PdfDestination.h"

#include "base/Error.h"
#include "base/PrivateFolder.h"
#include "base/UnfinishedFiles.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace marlet {

namespace fs = std::filesystem;

namespace {

constexpr const char* PartSuffix = ".part";

// Completes the writer's pages; false when a write went wrong.
bool finishWriter(std::unique_ptr<PdfWriter>& writer) {
    std::unique_ptr<PdfWriter> finishing = std::move(writer);
    try {
        finishing->finish();
    } catch (const Error&) {
        return false;
    }
    return true;
}

std::string folderOf(const std::string& path) {
    fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

} // namespace

// A PDF on its way to its name: a hidden file beside it, readable by the user alone and
// locked while it grows, renamed into place only when complete. The part of a writer that
// was killed is removed by the next one.
class PdfPartFile {
public:
    // Creates ".NAME.XXXXXX.part" in folder; fails with "Cannot create file FOLDER/NAME".
    PdfPartFile(const std::string& folder, const std::string& name);
    // A part that was never completed is removed.
    ~PdfPartFile();
    PdfPartFile(const PdfPartFile&) = delete;
    PdfPartFile& operator=(const PdfPartFile&) = delete;

    std::FILE* file() const { return m_file; }
    // Flushes the file to disk and renames it to target, or, with makeName, to the first
    // of makeName(1), makeName(2), … that is free; fails with "Cannot write file TARGET".
    // Returns the name it took.
    std::string complete(const std::string& target,
                         const std::function<std::string(int)>& makeName = {});
    // Removes the part files in folder whose writer is gone.
    static void removeLeftovers(const std::string& folder);

private:
    std::string m_path;
    std::FILE* m_file = nullptr;
};

PdfPartFile::PdfPartFile(const std::string& folder, const std::string& name) {
    removeLeftovers(folder);
    std::string pattern = (fs::path(folder) / ("." + name + ".XXXXXX" + PartSuffix)).string();
    // mkstemps makes the file 0600; the lock tells a later writer that this one lives.
    int fd = mkostemps(pattern.data(), static_cast<int>(std::char_traits<char>::length(PartSuffix)),
                       O_CLOEXEC);
    if (fd < 0)
        throw Error::cannotCreate((fs::path(folder) / name).string());
    flock(fd, LOCK_EX | LOCK_NB);
    m_path = pattern;
    UnfinishedFiles::hold(m_path);
    m_file = fdopen(fd, "wb");
    if (!m_file) {
        ::close(fd);
        ::unlink(m_path.c_str());
        UnfinishedFiles::release(m_path);
        throw Error::cannotCreate((fs::path(folder) / name).string());
    }
}

PdfPartFile::~PdfPartFile() {
    if (m_file) {
        std::fclose(m_file);
        ::unlink(m_path.c_str());
        UnfinishedFiles::release(m_path);
    }
}

std::string PdfPartFile::complete(const std::string& target,
                                  const std::function<std::string(int)>& makeName) {
    std::FILE* file = std::exchange(m_file, nullptr);
    // On disk before the name moves: a crash then leaves the old file or the new one whole.
    bool written = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    std::string name = target;
    if (written && !makeName) {
        written = std::rename(m_path.c_str(), name.c_str()) == 0;
    } else if (written) {
        for (int copy = 1;; ++copy) {
            name = makeName(copy);
            if (renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0)
                break;
            if (errno != EEXIST) {
                written = false;
                break;
            }
        }
    }
    if (std::fclose(file) != 0)
        written = false;
    if (!written)
        ::unlink(m_path.c_str());
    UnfinishedFiles::release(m_path);
    if (!written)
        throw Error("Cannot write file " + target);
    return name;
}

void PdfPartFile::removeLeftovers(const std::string& folder) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.size() < 6 || name[0] != '.' || !name.ends_with(PartSuffix))
            continue;
        int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // A part whose lock can be taken belongs to a writer that was killed.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(entry.path().c_str());
        ::close(fd);
    }
}

PdfFileDestination::PdfFileDestination(std::string path) : m_path(std::move(path)) {
}

PdfFileDestination::~PdfFileDestination() {
    try {
        close();
    } catch (const Error&) {
        // Reported by an explicit close(); a destructor has no one to tell.
    }
}

PdfWriter& PdfFileDestination::beginDocument(const std::string& title) {
    if (!m_writer) {
        std::FILE* file = stdout;
        if (m_path != "-") {
            m_part = std::make_unique<PdfPartFile>(folderOf(m_path),
                                                   fs::path(m_path).filename().string());
            file = m_part->file();
        }
        m_writer = std::make_unique<PdfWriter>(file, title);
    }
    return *m_writer;
}

void PdfFileDestination::close() {
    if (!m_writer)
        return;
    bool written = finishWriter(m_writer);
    if (!m_part) {
        if (std::fflush(stdout) != 0 || !written)
            throw Error("Cannot write file " + m_path);
        return;
    }
    std::unique_ptr<PdfPartFile> part = std::move(m_part);
    if (!written)
        throw Error("Cannot write file " + m_path);
    part->complete(m_path);
}

PdfFolderDestination::PdfFolderDestination(std::string folder, FileWritten written)
    : m_folder(std::move(folder)), m_written(std::move(written)) {
}

PdfFolderDestination::~PdfFolderDestination() {
    try {
        endDocument();
    } catch (const Error&) {
    }
}

std::string PdfFolderDestination::defaultFolder() {
    if (const char* folder = std::getenv("MARLET_PDF_DIR"); folder && *folder)
        return folder;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/PDF";
}

namespace {

std::string numberedName(const std::string& folder, const std::string& title, std::time_t started,
                         int copy) {
    std::string safeTitle = title;
    for (char& c : safeTitle) {
        if (c == '/')
            c = '-';
    }
    char stamp[32];
    std::tm local{};
    localtime_r(&started, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
    std::string base = (fs::path(folder) / (safeTitle + " " + stamp)).string();
    return copy == 1 ? base + ".pdf" : base + " (" + std::to_string(copy) + ").pdf";
}

} // namespace

std::string PdfFolderDestination::freeFileName(const std::string& folder, const std::string& title,
                                               std::time_t started) {
    std::string name = numberedName(folder, title, started, 1);
    for (int copy = 2; fs::exists(name); ++copy)
        name = numberedName(folder, title, started, copy);
    return name;
}

PdfWriter& PdfFolderDestination::beginDocument(const std::string& title) {
    endDocument();
    if (!makePrivateFolders(m_folder))
        throw Error("Cannot create folder " + m_folder);
    m_title = title;
    m_started = std::time(nullptr);
    m_part = std::make_unique<PdfPartFile>(
        m_folder, fs::path(freeFileName(m_folder, title, m_started)).filename().string());
    m_writer = std::make_unique<PdfWriter>(m_part->file(), title);
    return *m_writer;
}

void PdfFolderDestination::endDocument() {
    if (!m_writer)
        return;
    bool written = finishWriter(m_writer);
    std::unique_ptr<PdfPartFile> part = std::move(m_part);
    std::string first = numberedName(m_folder, m_title, m_started, 1);
    if (!written)
        throw Error("Cannot write file " + first);
    // Two jobs in the same second never share a file: the name is taken without replacing.
    std::string name = part->complete(
        first, [this](int copy) { return numberedName(m_folder, m_title, m_started, copy); });
    if (m_written)
        m_written(name);
}

} // namespace marlet
