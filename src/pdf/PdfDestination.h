#pragma once

#include "PdfWriter.h"

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

namespace marlet {

/// Where the documents of a job go as PDF: all into one file, or a file each.
class PdfDestination {
public:
    virtual ~PdfDestination() = default;

    /// The writer that takes the pages of a new document.
    virtual PdfWriter& beginDocument(const std::string& title) = 0;
    /// The document's last page has been added.
    virtual void endDocument() = 0;
    /// Completes every file; fails with the message of the first write that went wrong.
    virtual void close() = 0;
    /// The job was stopped between pages and the open document's writer holds its whole
    /// pages: a destination that writes files keeps them, as close() does; one that feeds a
    /// printer takes the job back.
    virtual void cancel() { close(); }
};

/// A PDF written beside its final name and renamed into place when complete.
class PdfPartFile;

/// Every document of the job in one file, in order ("-" is standard output). The file
/// takes its name only once complete: a job cut short leaves an earlier file whole.
class PdfFileDestination final : public PdfDestination {
public:
    explicit PdfFileDestination(std::string path);
    ~PdfFileDestination() override;

    PdfWriter& beginDocument(const std::string& title) override;
    void endDocument() override {}
    void close() override;

private:
    std::string m_path;
    std::unique_ptr<PdfPartFile> m_part;
    std::unique_ptr<PdfWriter> m_writer;
};

/// The PDF printer: each document becomes a file of its own in a folder, named after its
/// title and the time it started, never over an earlier file, and in the folder only once
/// complete. Files and folder are readable by the user alone.
class PdfFolderDestination final : public PdfDestination {
public:
    /// Hears the path of each file once it is complete.
    using FileWritten = std::function<void(const std::string& path)>;

    explicit PdfFolderDestination(std::string folder, FileWritten written = {});
    ~PdfFolderDestination() override;

    PdfWriter& beginDocument(const std::string& title) override;
    void endDocument() override;
    void close() override { endDocument(); }

    /// ~/PDF, or the folder named by MARLET_PDF_DIR.
    static std::string defaultFolder();
    /// "TITLE YYYY-MM-DD HH-MM-SS.pdf", or with " (2)", " (3)" … when taken.
    static std::string freeFileName(const std::string& folder, const std::string& title,
                                    std::time_t started);

private:
    std::string m_folder;
    FileWritten m_written;
    std::string m_title;
    std::time_t m_started = 0;
    std::unique_ptr<PdfPartFile> m_part;
    std::unique_ptr<PdfWriter> m_writer;
};

} // namespace marlet
