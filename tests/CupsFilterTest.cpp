// marlet-cups-filter as CUPS runs it: its arguments, the configuration and store it reads,
// the PDF on standard output, its lines to the server and its exit status.

#include "support/ProgramFolderTest.h"
#include "support/ShellCommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Result = marlet::testing::ProgramResult;

class CupsFilterTest : public marlet::testing::ProgramFolderTest {
protected:
    CupsFilterTest() : ProgramFolderTest("marlet-cups-filter-test") {
        // The system store as the package makes it: the ready-made Epson scheme.
        const std::string import = "'" MARLET_BINARY_DIR "/marlet-reg' --registry '" +
                                   (folder / "registry.db").string() + "' import '" +
                                   MARLET_DATA_DIR "/schemes/epson-escp-9pin.reg'";
        EXPECT_EQ(std::system(import.c_str()), 0);
        write("cups-filter.conf", "# the filter's store\nRegistry " +
                                      (folder / "registry.db").string() +
                                      "\nDataDir " MARLET_DATA_DIR "\n");
        fs::copy_file(MARLET_SOURCE_DIR "/examples/invoice.prn", folder / "invoice.prn");
    }

    // Runs the filter in the test folder as CUPS would, with the configuration file named.
    Result filter(const std::string& arguments, const std::string& input = "",
                  const std::string& environment = "") {
        return runInFolder("'" MARLET_BINARY_DIR "/marlet-cups-filter' " + arguments, input,
                           "MARLET_CUPS_FILTER_CONF=cups-filter.conf " + environment);
    }

    // The text of a PDF the filter wrote.
    std::string textOfPdf(const std::string& pdf) {
        write("out.pdf", pdf);
        return marlet::testing::runShell("pdftotext '" + (folder / "out.pdf").string() + "' -").out;
    }
};

} // namespace

TEST_F(CupsFilterTest, AJobPrintsAsAPdfOnStandardOutput) {
    struct Case {
        const char* arguments;
        const char* input;
        const char* err;
    };
    const Case cases[] = {
        {"7 ann invoice 1 'MarletScheme=EpsonESCP' invoice.prn", "", "PAGE: total 1\n"},
        // The job on standard input, two copies into the one PDF.
        {"7 ann invoice 2 ''", "Hello\r\n\x8F\xE0\xA8\xA2\xA5\xE2\r\n", "PAGE: total 2\n"},
    };
    for (const Case& c : cases) {
        Result result = filter(c.arguments, c.input);
        EXPECT_EQ(result.status, 0) << c.arguments << result.err;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out.rfind("%PDF-", 0), 0u) << c.arguments;
    }
    EXPECT_NE(textOfPdf(filter("7 ann t 1 ''", "\x8F\xE0\xA8\xA2\xA5\xE2\r\n").out).find("Привет"),
              std::string::npos);

    // Nothing to print is no failure: no PDF, and the server is told.
    Result empty = filter("8 ann empty 1 ''", "\r\n\x0C");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "INFO: nothing to print\nPAGE: total 0\n");
}

TEST_F(CupsFilterTest, TheQueuesPpdDefaultsGiveWayToTheJobsOptions) {
    write("queue.ppd", "*PPD-Adobe: \"4.3\"\n*DefaultMarletCodePage: 437\n");
    const std::string ppd = "PPD='" + (folder / "queue.ppd").string() + "'";
    // Code page 437 reads the Cyrillic bytes as other letters; the job's 866 puts them back.
    EXPECT_EQ(textOfPdf(filter("9 ann t 1 ''", "\x8F\xE0\xA8\xA2\xA5\xE2\r\n", ppd).out),
              "Åα¿óÑΓ\n\n\f");
    EXPECT_EQ(
        textOfPdf(filter("9 ann t 1 MarletCodePage=866", "\x8F\xE0\xA8\xA2\xA5\xE2\r\n", ppd).out),
        "Привет\n\n\f");
}

TEST_F(CupsFilterTest, AFailedJobSaysWhyOnAnErrorLineAndExitsWithOne) {
    write("unknown.conf", "Registry /var/lib/marlet/registry.db\nSpool /tmp/prnspl\n");
    struct Case {
        const char* arguments;
        const char* environment;
        std::string err;
    };
    const std::string folderText = folder.string();
    const Case cases[] = {
        {"1 ann", "",
         "ERROR: CUPS runs a filter with five or six arguments, not 2: marlet-cups-filter "
         "job-id user title copies options [file]\n"},
        {"1 ann t 1 'MarletCodePage=999' invoice.prn", "",
         "ERROR: --set CodePage=999: CodePage takes one of the code pages there are: 437, 850, "
         "852, 866, 1125\n"},
        {"1 ann t 1 'MarletOrientation=Sideways' invoice.prn", "",
         "ERROR: option MarletOrientation takes portrait, landscape, not 'Sideways'\n"},
        {"1 ann t 1 '' missing.prn", "",
         "ERROR: Cannot open file " + folderText + "/missing.prn: No such file or directory\n"},
        {"1 ann t 1 '' invoice.prn", "MARLET_CUPS_FILTER_CONF=none.conf",
         "ERROR: Cannot open file none.conf: No such file or directory\n"},
        {"1 ann t 1 '' invoice.prn", "MARLET_CUPS_FILTER_CONF=unknown.conf",
         "ERROR: unknown.conf:2: unknown setting 'Spool'\n"},
    };
    for (const Case& c : cases) {
        Result result = filter(c.arguments, "", c.environment);
        EXPECT_EQ(result.status, 1) << c.arguments;
        EXPECT_EQ(result.err, c.err) << c.arguments;
        EXPECT_EQ(result.out, "") << c.arguments;
    }
}
