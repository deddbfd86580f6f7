// Where the PDF printer's documents go: a file is complete or absent, never cut short, and
// nobody but the user may read it.

#include "pdf/PdfDestination.h"
#include "support/TempFolder.h"

#include "config/FileBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace marlet;
namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
    return readFileBytes(path).value_or("");
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

fs::perms modeOf(const std::string& path) {
    return fs::status(path).permissions() & fs::perms::all;
}

void addPage(PdfWriter& writer) {
    writer.addPage(595, 842, "0 0 m 10 10 l S\n", {});
}

// Runs a job in a child; the job kills it with SIGKILL in the middle of its document.
void killedMidDocument(const std::function<void()>& job) {
    pid_t child = fork();
    if (child == 0) {
        job();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
}

} // namespace

TEST(PdfDestinationTest, AnOutputFileIsReplacedOnlyByACompleteOne) {
    TempFolder folder;
    std::string path = folder.file("keep.pdf");
    std::ofstream(path) << "the invoice printed yesterday";

    killedMidDocument([&] {
        PdfFileDestination destination(path);
        PdfWriter& writer = destination.beginDocument("DOS-console task");
        addPage(writer);
        std::fflush(nullptr);
        raise(SIGKILL);
    });
    EXPECT_EQ(readFile(path), "the invoice printed yesterday");
    ASSERT_EQ(namesIn(folder.file("")).size(), 2u);

    mode_t old = umask(022);
    {
        PdfFileDestination destination(path);
        addPage(destination.beginDocument("DOS-console task"));
        destination.close();
    }
    umask(old);
    // The killed job's part is gone; the new file is complete and private.
    EXPECT_EQ(namesIn(folder.file("")), std::vector<std::string>{"keep.pdf"});
    std::string pdf = readFile(path);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    EXPECT_EQ(modeOf(path), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(PdfDestinationTest, ThePdfPrinterShowsOnlyCompleteDocumentsToTheUserAlone) {
    TempFolder temp;
    std::string folder = temp.file("home/PDF");
    mode_t old = umask(022);
    killedMidDocument([&] {
        PdfFolderDestination destination(folder);
        addPage(destination.beginDocument("DOS-console task"));
        std::fflush(nullptr);
        raise(SIGKILL);
    });
    ASSERT_EQ(namesIn(folder).size(), 1u);
    EXPECT_EQ(namesIn(folder)[0].substr(0, 18), ".DOS-console task ");

    {
        PdfFolderDestination destination(folder);
        addPage(destination.beginDocument("DOS-console task"));
        destination.endDocument();
        addPage(destination.beginDocument("DOS-console task"));
        destination.close();
    }
    umask(old);
    std::vector<std::string> names = namesIn(folder);
    ASSERT_EQ(names.size(), 2u);
    for (const std::string& name : names) {
        EXPECT_TRUE(name.starts_with("DOS-console task ") && name.ends_with(".pdf")) << name;
        EXPECT_EQ(modeOf(folder + "/" + name), fs::perms::owner_read | fs::perms::owner_write);
    }
    EXPECT_EQ(modeOf(folder), fs::perms::owner_all);
    EXPECT_EQ(modeOf(temp.file("home")), fs::perms::owner_all);
}

TEST(PdfDestinationTest, APartOfALiveWriterIsLeftAlone) {
    TempFolder folder;
    PdfFolderDestination first(folder.file(""));
    addPage(first.beginDocument("first"));
    PdfFolderDestination second(folder.file(""));
    addPage(second.beginDocument("second"));
    second.close();
    first.close();
    EXPECT_EQ(namesIn(folder.file("")).size(), 2u);
}
