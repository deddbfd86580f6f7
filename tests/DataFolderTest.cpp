#include "DataFolder.h"
#include "support/MessageOf.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace marlet;
using marlet::testing::messageOf;

namespace fs = std::filesystem;

namespace {

// The test program's own installed folder: ../share/marlet beside the folder it runs from.
std::string installedFolder() {
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "share/marlet")
        .string();
}

// Sets the environment a test looks up data with, and puts back what was there.
class DataFolderTest : public ::testing::Test {
protected:
    DataFolderTest() : m_working(fs::current_path()) {
        for (const char* name : {"MARLET_DATA_DIR", "XDG_DATA_HOME", "HOME"}) {
            if (const char* value = std::getenv(name))
                m_saved.emplace_back(name, value);
        }
    }
    ~DataFolderTest() override {
        fs::current_path(m_working);
        for (const char* name : {"MARLET_DATA_DIR", "XDG_DATA_HOME", "HOME"})
            unsetenv(name);
        for (const auto& [name, value] : m_saved)
            setenv(name.c_str(), value.c_str(), 1);
    }

    fs::path m_working;
    std::vector<std::pair<std::string, std::string>> m_saved;
};

} // namespace

TEST_F(DataFolderTest, TheEnvironmentComesFirstThenTheUsersFolderThenTheInstalledOne) {
    setenv("MARLET_DATA_DIR", "/opt/tables", 1);
    setenv("XDG_DATA_HOME", "/home/clerk/data", 1);
    EXPECT_EQ(
        dataFolderCandidates(),
        (std::vector<std::string>{"/opt/tables", "/home/clerk/data/marlet", installedFolder()}));

    unsetenv("MARLET_DATA_DIR");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/clerk", 1);
    EXPECT_EQ(dataFolderCandidates(),
              (std::vector<std::string>{"/home/clerk/.local/share/marlet", installedFolder()}));
}

TEST_F(DataFolderTest, AFolderCountsWhenItHoldsTablesOrLanguageFiles) {
    TempFolder folder;
    EXPECT_FALSE(holdsData(folder.file("")));
    std::ofstream(folder.file("unused.seq")) << "\x1B@\n";
    EXPECT_FALSE(holdsData(folder.file("")));
    fs::create_directory(folder.file("866.cp"));
    EXPECT_FALSE(holdsData(folder.file("")));
    std::ofstream(folder.file("English.lng")) << "[Main]\n";
    EXPECT_TRUE(holdsData(folder.file("")));
    EXPECT_FALSE(holdsData(folder.file("missing")));
}

TEST_F(DataFolderTest, TheFirstFolderWithDataBecomesTheWorkingFolder) {
    TempFolder empty;
    TempFolder own;
    std::optional<std::string> typed = "job.prn";
    const std::string typedAbsolute = (fs::current_path() / "job.prn").string();

    setenv("MARLET_DATA_DIR", empty.file("").c_str(), 1);
    setenv("XDG_DATA_HOME", own.file("").c_str(), 1);
    fs::create_directory(own.file("marlet"));
    std::ofstream(own.file("marlet/866.cp")) << "";
    enterDataFolder(std::nullopt, {&typed});
    EXPECT_EQ(fs::current_path(), fs::path(own.file("marlet")));
    EXPECT_EQ(typed, typedAbsolute);

    // Nothing anywhere: the message names every folder looked in.
    fs::remove(own.file("marlet/866.cp"));
    EXPECT_EQ(messageOf([] { enterDataFolder(std::nullopt, {}); }),
              "No data folder (code page tables and language files) in " + empty.file("") + ", " +
                  own.file("marlet") + ", " + installedFolder() +
                  "; name one with --data-dir or MARLET_DATA_DIR");
}
