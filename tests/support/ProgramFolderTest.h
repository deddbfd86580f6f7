#pragma once

#include "ShellCommand.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace marlet::testing {

/// What a program run from the shell left: its exit status, standard output and error.
struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
};

/// A test that runs programs as a user would, in a folder of its own named after the test:
/// standard input from a file, standard output and error kept in files.
class ProgramFolderTest : public ::testing::Test {
protected:
    /// prefix names the folder's kind ("marlet-print-test").
    explicit ProgramFolderTest(const std::string& prefix)
        : folder(std::filesystem::temp_directory_path() /
                 (prefix + "-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::create_directories(folder);
    }
    ~ProgramFolderTest() override { std::filesystem::remove_all(folder); }

    /// Runs a command line in the folder with the variables of environment before it.
    ProgramResult runInFolder(const std::string& commandLine, const std::string& input = "",
                              const std::string& environment = "") {
        write("stdin", input);
        const std::string command = "cd '" + folder.string() + "' && " + environment + " " +
                                    commandLine + " <stdin >stdout 2>stderr";
        ProgramResult result;
        const int status = std::system(command.c_str());
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = read("stdout");
        result.err = read("stderr");
        return result;
    }

    std::string read(const std::string& name) const {
        std::ifstream in(folder / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }

    /// The text of a PDF in the folder, as pdftotext lays it out.
    std::string pdfText(const std::string& name) const {
        return runShell("pdftotext -layout '" + (folder / name).string() + "' -").out;
    }

    std::filesystem::path folder;
};

} // namespace marlet::testing
