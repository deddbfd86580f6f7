#include "ProgramMain.h"
#include "support/ShellCommand.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

using namespace marlet;

namespace {

const ProgramInfo Program{"marlet-test", "Usage: marlet-test [--help]\n"};

struct TestOptions {
    bool help = false;

    static TestOptions parse(const std::vector<std::string>& arguments) {
        TestOptions options;
        for (const std::string& argument : arguments) {
            if (argument == "--help")
                options.help = true;
            else
                throw UsageError("unknown option '" + argument + "'");
        }
        return options;
    }
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome runWith(std::vector<std::string> arguments, const std::function<int(TestOptions&)>& work) {
    arguments.insert(arguments.begin(), "marlet-test");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    Outcome outcome;
    outcome.status =
        runProgram<TestOptions>(Program, static_cast<int>(argv.size()), argv.data(), work);
    std::fflush(stdout);
    outcome.out = ::testing::internal::GetCapturedStdout();
    outcome.err = ::testing::internal::GetCapturedStderr();
    return outcome;
}

Outcome runCommand(const std::string& command) {
    marlet::testing::ShellOutput result = marlet::testing::runShell(command + " 2>&1");
    Outcome outcome;
    outcome.status = result.status;
    outcome.out = result.out;
    return outcome;
}

} // namespace

TEST(ProgramMain, FailuresStartWithTheProgramsNameAndUsageErrorsAddTheUsage) {
    Outcome failed = runWith({}, [](TestOptions&) -> int { throw Error("Range check error"); });
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "marlet-test: Range check error\n");

    Outcome usage = runWith({"--frobnicate"}, [](TestOptions&) { return 0; });
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err,
              "marlet-test: unknown option '--frobnicate'\nUsage: marlet-test [--help]\n");

    Outcome told = runWith({}, [](TestOptions&) {
        tellUser("nothing to print");
        return 0;
    });
    EXPECT_EQ(told.status, 0);
    EXPECT_EQ(told.err, "marlet-test: nothing to print\n");
}

TEST(ProgramMain, VersionAndHelpAreAnsweredWithoutRunning) {
    bool ran = false;
    auto work = [&](TestOptions&) {
        ran = true;
        return 0;
    };
    Outcome version = runWith({"--version"}, work);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "marlet-test 0.1\n");
    Outcome help = runWith({"--help"}, work);
    EXPECT_EQ(help.out, Program.usage);
    EXPECT_FALSE(ran);
}

TEST(ProgramMain, TheBenchmarksPrintTheirUsageAndRefuseWhatTheyCannotRead) {
    for (const char* bench : {"marlet-print-bench", "marlet-capture-bench"}) {
        const std::string program = std::string(MARLET_BINARY_DIR "/") + bench;
        Outcome help = runCommand(program + " --help");
        EXPECT_EQ(help.status, 0) << bench;
        EXPECT_TRUE(help.out.starts_with("Usage: " + std::string(bench))) << help.out;
        Outcome nonsense = runCommand(program + " lots");
        EXPECT_EQ(nonsense.status, 2) << bench;
        EXPECT_TRUE(nonsense.out.starts_with(std::string(bench) + ": ")) << nonsense.out;
    }
    EXPECT_EQ(runCommand(MARLET_BINARY_DIR "/marlet-print-bench --runs 0").status, 2);
}
