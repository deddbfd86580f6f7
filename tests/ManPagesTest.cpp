// Every program's manual page names exactly the options the program takes.

#include "support/ShellCommand.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

using Options = std::set<std::string>;

// "-o", "--output", "--device-dpi": a dash at the start of a word, then a letter.
Options optionsIn(const std::string& text) {
    Options options;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool wordStart =
            i == 0 || !(std::isalnum(static_cast<unsigned char>(text[i - 1])) ||
                        std::string("-_./\\$").find(text[i - 1]) != std::string::npos);
        if (text[i] != '-' || !wordStart)
            continue;
        std::size_t end = i + 1;
        if (end < text.size() && text[end] == '-')
            ++end;
        if (end >= text.size() || !std::isalpha(static_cast<unsigned char>(text[end])))
            continue;
        while (end < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '-'))
            ++end;
        options.insert(text.substr(i, end - i));
        i = end;
    }
    return options;
}

// The page's OPTIONS and COMMANDS sections as the reader sees them: roff's "\-" is a dash,
// "\f" font changes go. Examples and other sections may name other programs' options.
std::string manPageOptions(const std::string& path) {
    std::ifstream in(path);
    std::string page;
    bool inOptions = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(".SH "))
            inOptions = line == ".SH OPTIONS" || line == ".SH COMMANDS";
        else if (inOptions)
            page += line + "\n";
    }
    std::string text;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\\' && i + 1 < page.size() && page[i + 1] == '-') {
            text += '-';
            ++i;
        } else if (page[i] == '\\' && i + 2 < page.size() && page[i + 1] == 'f') {
            i += 2;
        } else {
            text += page[i];
        }
    }
    return text;
}

} // namespace

TEST(ManPagesTest, EachPageNamesTheOptionsItsProgramTakes) {
    struct Case {
        const char* program;
        const char* page;
    };
    const Case cases[] = {
        {"marlet-print", "marlet-print.1"},
        {"marlet-reg", "marlet-reg.1"},
        {"marlet-capture", "marlet-capture.1"},
        {"marlet", "marlet.1"},
        {"marlet-jobs", "marlet-jobs.1"},
    };
    // Every program answers these, whether its usage lists them or not.
    const Options everyProgram{"-h", "--help", "--version"};
    for (const Case& c : cases) {
        const marlet::testing::ShellOutput help =
            marlet::testing::runShell("QT_QPA_PLATFORM=offscreen '" MARLET_BINARY_DIR "/" +
                                      std::string(c.program) + "' --help");
        ASSERT_EQ(help.status, 0) << c.program;
        Options taken = optionsIn(help.out);
        taken.insert(everyProgram.begin(), everyProgram.end());
        Options documented =
            optionsIn(manPageOptions(MARLET_SOURCE_DIR "/packaging/man/" + std::string(c.page)));
        documented.insert(everyProgram.begin(), everyProgram.end());
        EXPECT_EQ(documented, taken) << c.page;
    }
}
