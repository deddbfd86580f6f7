#include "PdfDestination.h"

#include "base/Error.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <utility>

namespace marlet {

namespace fs = std::filesystem;

namespace {

// Completes the writer's file and closes it (standard output stays open).
void finishFile(std::unique_ptr<PdfWriter>& writer, std::FILE*& file, const std::string& path) {
    if (!writer)
        return;
    std::unique_ptr<PdfWriter> finishing = std::move(writer);
    std::FILE* closing = std::exchange(file, nullptr);
    bool written = true;
    try {
        finishing->finish();
    } catch (const Error&) {
        written = false;
    }
    if (closing == stdout ? std::fflush(closing) != 0 : std::fclose(closing) != 0)
        written = false;
    if (!written)
        throw Error("Cannot write file " + path);
}

} // namespace

PdfFileDestination::~PdfFileDestination() {
    try {
        close();
    } catch (const Error&) {
        // Reported by an explicit close(); a destructor has no one to tell.
    }
}

PdfWriter& PdfFileDestination::beginDocument(const std::string& title) {
    if (!m_writer) {
        m_file = m_path == "-" ? stdout : std::fopen(m_path.c_str(), "wb");
        if (!m_file)
            throw Error::cannotCreate(m_path);
        m_writer = std::make_unique<PdfWriter>(m_file, title);
    }
    return *m_writer;
}

void PdfFileDestination::close() {
    finishFile(m_writer, m_file, m_path);
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

std::string PdfFolderDestination::freeFileName(const std::string& folder, const std::string& title,
                                               std::time_t started) {
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
    std::string name = base + ".pdf";
    for (int copy = 2; fs::exists(name); ++copy)
        name = base + " (" + std::to_string(copy) + ").pdf";
    return name;
}

PdfWriter& PdfFolderDestination::beginDocument(const std::string& title) {
    endDocument();
    std::error_code error;
    fs::create_directories(m_folder, error);
    if (!fs::is_directory(m_folder))
        throw Error("Cannot create folder " + m_folder);
    m_path = freeFileName(m_folder, title, std::time(nullptr));
    // Exclusive creation: two jobs in the same second never share a file.
    m_file = std::fopen(m_path.c_str(), "wbx");
    if (!m_file)
        throw Error::cannotCreate(m_path);
    m_writer = std::make_unique<PdfWriter>(m_file, title);
    return *m_writer;
}

void PdfFolderDestination::endDocument() {
    bool open = m_writer != nullptr;
    finishFile(m_writer, m_file, m_path);
    if (open && m_written)
        m_written(m_path);
}

} // namespace marlet
