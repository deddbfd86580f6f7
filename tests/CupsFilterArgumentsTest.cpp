// What CUPS hands the filter on its command line, read as CUPS means it.

#include "CupsFilterArguments.h"
#include "base/Error.h"

#include <gtest/gtest.h>

using namespace marlet;

namespace {

std::string messageOf(const std::vector<std::string>& arguments) {
    try {
        CupsFilterArguments::parse(arguments);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(CupsFilterArgumentsTest, TheFiveOrSixArgumentsOfAFilter) {
    CupsFilterArguments job =
        CupsFilterArguments::parse({"42", "ann", "report.prn", "3", "landscape", "/spool/d42"});
    EXPECT_EQ(job.jobId, 42);
    EXPECT_EQ(job.user, "ann");
    EXPECT_EQ(job.title, "report.prn");
    EXPECT_EQ(job.copies, 3);
    EXPECT_EQ(job.options, (CupsOptions{{"landscape", "true"}}));
    EXPECT_EQ(job.file, "/spool/d42");

    EXPECT_FALSE(CupsFilterArguments::parse({"1", "ann", "t", "1", ""}).file.has_value());

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case refused[] = {
        {{"1", "ann", "t"},
         "CUPS runs a filter with five or six arguments, not 3: marlet-cups-filter job-id user "
         "title copies options [file]"},
        {{"x", "ann", "t", "1", ""}, "the job id must be a number from 1 to 2147483647, not 'x'"},
        {{"0", "ann", "t", "1", ""}, "the job id must be a number from 1 to 2147483647, not '0'"},
        {{"1", "ann", "t", "0", ""},
         "the number of copies must be a number from 1 to 9999, not '0'"},
        {{"1", "ann", "t", "10000", ""},
         "the number of copies must be a number from 1 to 9999, not '10000'"},
        {{"1", "ann", "t", "1", "a='b"}, "the value of option 'a' has no closing '"},
    };
    for (const Case& c : refused)
        EXPECT_EQ(messageOf(c.arguments), c.message) << c.arguments.size();
}

TEST(CupsFilterArgumentsTest, OptionListsAsCupsWritesThem) {
    struct Case {
        const char* text;
        CupsOptions options;
    };
    const Case cases[] = {
        {"", {}},
        {"MarletCodePage=437 landscape", {{"marletcodepage", "437"}, {"landscape", "true"}}},
        {"nolandscape  MarletLineWrap=False",
         {{"landscape", "false"}, {"marletlinewrap", "False"}}},
        {"MarletScheme='Epson ESC-P 9-pin' job-name=\"a b\"",
         {{"marletscheme", "Epson ESC-P 9-pin"}, {"job-name", "a b"}}},
        {"MarletFace=DejaVu\\ Sans\\ Mono", {{"marletface", "DejaVu Sans Mono"}}},
        {"date-time-at-creation= no", {{"date-time-at-creation", ""}, {"no", "true"}}},
        // The later of two wins, as in CUPS.
        {"MarletSize=10 marletsize=12", {{"marletsize", "12"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseCupsOptions(c.text), c.options) << c.text;
}
