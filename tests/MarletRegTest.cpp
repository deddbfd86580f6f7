#include "config/FileBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

using namespace marlet;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string fixture(const std::string& name) {
    return std::string(MARLET_TEST_DATA) + "/reg/" + name;
}

class MarletRegTest : public ::testing::Test {
protected:
    /// Runs the built marlet-reg on this test's registry file.
    Outcome reg(std::vector<std::string> arguments, const std::string& input = "") {
        arguments.insert(arguments.begin(), {"--registry", m_registry});
        return run(arguments, input, {});
    }

    /// Runs the built marlet-reg as it is, with extra environment entries.
    Outcome run(const std::vector<std::string>& arguments, const std::string& input,
                const std::vector<std::string>& environment) {
        const std::string program = std::string(MARLET_BINARY_DIR) + "/marlet-reg";
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<std::string> envStrings;
        for (char** entry = environ; *entry; ++entry) {
            std::string_view name =
                std::string_view(*entry).substr(0, std::string_view(*entry).find('='));
            bool replaced = std::ranges::any_of(environment, [&](const std::string& given) {
                return given.starts_with(std::string(name) + "=");
            });
            if (name != "MARLET_REGISTRY" && !replaced)
                envStrings.emplace_back(*entry);
        }
        envStrings.insert(envStrings.end(), environment.begin(), environment.end());
        std::vector<char*> envp;
        for (std::string& entry : envStrings)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        const std::string in = m_folder.file("stdin"), out = m_folder.file("stdout"),
                          err = m_folder.file("stderr");
        writeFile(in, input);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = 0;
        Outcome outcome;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
            outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        outcome.out = readFileBytes(out).value_or("");
        outcome.err = readFileBytes(err).value_or("");
        return outcome;
    }

    TempFolder m_folder;
    std::string m_registry = m_folder.file("registry.db");
};

} // namespace

TEST_F(MarletRegTest, SetAndGetKeepControlBytesInTheEscapedNotation) {
    EXPECT_EQ(reg({"set", "Sequences\\FX", "Bold", "\\eE"}).status, 0);
    EXPECT_EQ(reg({"set", "InitStr", "Сброс", "\\e@\\x0F\\xC0"}).status, 0);
    EXPECT_EQ(reg({"set", ".", "Spool", "c:\\\\prnspl"}).status, 0);

    EXPECT_EQ(reg({"get", "Sequences\\FX", "Bold"}).out, "\\eE\n");
    EXPECT_EQ(reg({"get", "\\SOFTWARE\\Tuvo\\Marlet\\sequences\\fx", "BOLD"}).out, "\\eE\n");
    EXPECT_EQ(reg({"get", "HKLM\\SOFTWARE\\Tuvo\\Marlet\\Sequences\\FX", "Bold"}).out, "\\eE\n");
    EXPECT_EQ(reg({"get", "InitStr", "сброс"}).out, "\\e@\\x0F\\xC0\n");
    EXPECT_EQ(reg({"get", ".", "Spool"}).out, "c:\\\\prnspl\n");
}

TEST_F(MarletRegTest, SetTakesTheTypeFromTheOptionTheStoredValueOrTheSetting) {
    EXPECT_EQ(reg({"set", ".", "TimeOut", "5"}).status, 0);
    EXPECT_EQ(reg({"set", ".", "CodePage", "866"}).status, 0);
    EXPECT_EQ(reg({"set", ".", "Custom", "12"}).status, 0);
    EXPECT_EQ(reg({"set", "--dword", ".", "Mask", "0xFFFFFFFF"}).status, 0);
    EXPECT_EQ(reg({"set", ".", "Mask", "16"}).status, 0);
    EXPECT_EQ(reg({"set", "--string", ".", "End", "7"}).status, 0);
    EXPECT_EQ(reg({"set", ".", "", "default"}).status, 0);

    Outcome all = reg({"get", "."});
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out, "TimeOut\tdword\t5\n"
                       "CodePage\tstring\t866\n"
                       "Custom\tstring\t12\n"
                       "Mask\tdword\t16\n"
                       "End\tstring\t7\n"
                       "\tstring\tdefault\n");
}

TEST_F(MarletRegTest, ListsSortedSubkeysAndDeletes) {
    for (const char* scheme : {"laser", "Epson FX", "_draft", "Эпсон"})
        EXPECT_EQ(reg({"set", std::string("Sequences\\") + scheme, "Bold", "\\eE"}).status, 0);
    EXPECT_EQ(reg({"set", ".", "TimeOut", "3"}).status, 0);

    EXPECT_EQ(reg({"list", "Sequences"}).out, "Epson FX\nlaser\n_draft\nЭпсон\n");
    EXPECT_EQ(reg({"list"}).out, "Sequences\n");
    EXPECT_EQ(reg({"list", "\\"}).out, "SOFTWARE\n");

    EXPECT_EQ(reg({"delete", "Sequences\\LASER"}).status, 0);
    EXPECT_EQ(reg({"delete", ".", "timeout"}).status, 0);
    EXPECT_EQ(reg({"list", "Sequences"}).out, "Epson FX\n_draft\nЭпсон\n");
    Outcome gone = reg({"get", ".", "TimeOut"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(gone.err, "marlet-reg: Value 'TimeOut' not found in '\\SOFTWARE\\Tuvo\\Marlet'\n");
    Outcome noKey = reg({"delete", "Sequences\\laser"});
    EXPECT_EQ(noKey.status, 1);
    EXPECT_EQ(noKey.err,
              "marlet-reg: Key '\\SOFTWARE\\Tuvo\\Marlet\\Sequences\\laser' not found\n");
}

TEST_F(MarletRegTest, ImportsWindowsFilesAndExportsThemBackByteForByte) {
    EXPECT_EQ(reg({"import", fixture("marlet-v5.reg")}).status, 0);
    EXPECT_EQ(reg({"get", "Sequences\\Epson FX", "CondElit"}).out, "\\e\\xC0\\x98\\xFF\n");
    EXPECT_EQ(reg({"get", "InitStr", "Сжатый \"17\""}).out, "\\e@\\x0F\n");

    Outcome v5 = reg({"export", "-"});
    EXPECT_EQ(v5.status, 0);
    EXPECT_EQ(v5.out, readFileBytes(fixture("marlet-v5.reg")).value_or(""));
    const std::string file = m_folder.file("out.reg");
    EXPECT_EQ(reg({"export", "--regedit4", file, "\\SOFTWARE\\Tuvo\\Marlet"}).status, 0);
    EXPECT_EQ(readFileBytes(file).value_or(""),
              readFileBytes(fixture("marlet-regedit4.reg")).value_or(""));
}

TEST_F(MarletRegTest, ExportThenImportIntoAnEmptyStoreReproducesIt) {
    EXPECT_EQ(reg({"import", fixture("marlet-regedit4.reg")}).status, 0);
    EXPECT_EQ(reg({"set", "Sequences\\Lines", "Init", "\\e@\\r\\n"}).status, 0);
    const Outcome before = reg({"export", "--v5", "-", "\\"});
    for (const char* form : {"--regedit4", "--v5"}) {
        SCOPED_TRACE(form);
        const std::string file = m_folder.file("copy.reg");
        EXPECT_EQ(reg({"export", form, file, "\\"}).status, 0);
        const std::string copy = m_folder.file(std::string("copy") + form + ".db");
        EXPECT_EQ(
            run({"--registry", copy, "import", "-"}, readFileBytes(file).value_or(""), {}).status,
            0);
        EXPECT_EQ(run({"--registry", copy, "export", "--v5", "-", "\\"}, "", {}).out, before.out);
    }
}

TEST_F(MarletRegTest, RefusesAMalformedFileWhole) {
    EXPECT_EQ(reg({"set", ".", "TimeOut", "3"}).status, 0);
    const std::string file = m_folder.file("bad.reg");
    writeFile(file, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuvo\\Marlet]\r\n"
                    "\"TimeOut\"=dword:00000009\r\n\"Spool\"=c:\\prnspl\r\n");
    Outcome refused = reg({"import", file});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "marlet-reg: Malformed line 5 in " + file + "\n");
    EXPECT_EQ(reg({"get", ".", "TimeOut"}).out, "3\n");

    Outcome fromInput = reg({"import", "-"}, "REGEDIT4\r\n[HKCU\\Software]\r\n");
    EXPECT_EQ(fromInput.status, 1);
    EXPECT_EQ(fromInput.err, "marlet-reg: Unsupported key on line 2 in standard input\n");
}

TEST_F(MarletRegTest, ReportsFailuresWithStatusOne) {
    Outcome zero = reg({"set", "Sequences\\FX", "Bold", "\\e\\x00"});
    EXPECT_EQ(zero.status, 1);
    EXPECT_EQ(zero.err, "marlet-reg: Failed to set data for 'Bold'\n");
    Outcome missing = reg({"list", "Sequences"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "marlet-reg: Key '\\SOFTWARE\\Tuvo\\Marlet\\Sequences' not found\n");
    Outcome absentFile = reg({"import", m_folder.file("absent.reg")});
    EXPECT_EQ(absentFile.status, 1);
    EXPECT_EQ(absentFile.err, "marlet-reg: Cannot open file " + m_folder.file("absent.reg") +
                                  ": No such file or directory\n");
}

TEST_F(MarletRegTest, RefusesBadUsageWithStatusTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"fetch", "."},
        {"get"},
        {"set", ".", "TimeOut"},
        {"get", "--dword", ".", "TimeOut"},
        {"list", "--regedit4"},
        {"set", "--dword", ".", "TimeOut", "three"},
        {"set", "--dword", ".", "TimeOut", "4294967296"},
        {"set", ".", "Spool", "c:\\prnspl"},
        {"get", "--verbose", "."},
    };
    for (const auto& arguments : bad) {
        Outcome outcome = reg(arguments);
        EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(arguments);
        EXPECT_TRUE(outcome.err.starts_with("marlet-reg: ")) << outcome.err;
    }
    Outcome help = reg({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: marlet-reg [--registry PATH] COMMAND"));
}

TEST_F(MarletRegTest, WithoutRegistryOptionUsesMarletRegistry) {
    const std::string named = m_folder.file("named/registry.db");
    Outcome set = run({"set", ".", "TimeOut", "4"}, "", {"MARLET_REGISTRY=" + named});
    EXPECT_EQ(set.status, 0);
    EXPECT_EQ(run({"--registry", named, "get", ".", "TimeOut"}, "", {}).out, "4\n");
}

TEST_F(MarletRegTest, AFreshStoreReadsAsEmptyAndReadingNeverCreatesIt) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"list"}, {"get", "."}, {"list", "."}}) {
        Outcome empty = reg(arguments);
        EXPECT_EQ(empty.status, 0) << empty.err;
        EXPECT_EQ(empty.out, "");
        EXPECT_EQ(empty.err, "");
    }
    Outcome value = reg({"get", ".", "TimeOut"});
    EXPECT_EQ(value.status, 1);
    EXPECT_EQ(value.err, "marlet-reg: Value 'TimeOut' not found in '\\SOFTWARE\\Tuvo\\Marlet'\n");
    EXPECT_EQ(reg({"list", "Sequences"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(m_registry));

    // The default store under $XDG_CONFIG_HOME is not made either.
    const std::string config = m_folder.file("config");
    EXPECT_EQ(run({"list"}, "", {"XDG_CONFIG_HOME=" + config}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(config));
}

TEST_F(MarletRegTest, AnswersVersion) {
    Outcome version = run({"--version"}, "", {});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "marlet-reg 0.1\n");
}
