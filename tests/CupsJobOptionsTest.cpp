// A Marlet queue's PPD defaults and a job's lp -o options, turned into marlet-print's
// arguments.

#include "CupsJobOptions.h"
#include "base/Error.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace marlet;

namespace {

using Arguments = std::vector<std::string>;

Arguments argumentsFor(const std::string& ppd, const std::string& options) {
    CupsJobOptions job;
    std::istringstream file(ppd);
    job.readPpdDefaults(file);
    job.take(parseCupsOptions(options));
    return job.printArguments();
}

const char* const Ppd = "*PPD-Adobe: \"4.3\"\n"
                        "*DefaultMarletScheme: EpsonESCP\n"
                        "*DefaultMarletCodePage: Stored\n"
                        "*DefaultMarletFace: Stored\n"
                        "*DefaultMarletSize: 12\r\n"
                        "*DefaultMarletOrientation: Stored\n"
                        "*DefaultMarletLineWrap: False\n"
                        "*DefaultPageSize: Letter\n"
                        "*DefaultResolution: 300dpi\n";

} // namespace

TEST(CupsJobOptionsTest, TheQueueDefaultsThenTheJobsOwnOptions) {
    struct Case {
        const char* ppd;
        const char* options;
        Arguments arguments;
    };
    const Case cases[] = {
        {"", "", {}},
        {Ppd,
         "",
         {"--set", "Sequence=Epson ESC-P 9-pin", "--set", "FontSize=12", "--set", "LineWrap=0",
          "--paper", "Letter"}},
        {Ppd,
         "MarletScheme=Stored MarletCodePage=437 MarletOrientation=Landscape MarletSize=stored",
         {"--set", "CodePage=437", "--set", "Orientation=1", "--set", "LineWrap=0", "--paper",
          "Letter"}},
        {"",
         "MarletScheme=PCL MarletFace=CourierNew MarletLineWrap=yes PageSize=A4",
         {"--set", "Sequence=HP PCL", "--set", "FontName=Courier New", "--set", "LineWrap=1",
          "--paper", "A4"}},
        // A scheme or face of the store's own goes by its name.
        {"",
         "MarletScheme='Office forms' MarletFace='Terminus'",
         {"--set", "Sequence=Office forms", "--set", "FontName=Terminus"}},
        // lp's own orientation wins over the queue's; a custom sheet keeps A4.
        {"*DefaultMarletOrientation: Landscape\n",
         "orientation-requested=3 media=Custom.100x200mm",
         {"--set", "Orientation=1", "--set", "Orientation=0"}},
        {"",
         "nolandscape media=na_letter_8.5x11in,Tray1",
         {"--set", "Orientation=0", "--paper", "Letter"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(argumentsFor(c.ppd, c.options), c.arguments) << c.options;
}

TEST(CupsJobOptionsTest, AChoiceWithoutMeaningIsRefusedByName) {
    struct Case {
        const char* options;
        const char* message;
    };
    const Case cases[] = {
        {"MarletOrientation=Sideways",
         "option MarletOrientation takes portrait, landscape, not 'Sideways'"},
        {"MarletLineWrap=maybe",
         "option MarletLineWrap takes true, on, yes, false, off, no, not 'maybe'"},
        {"orientation-requested=7", "option orientation-requested takes 3, 4, 5, 6, not '7'"},
    };
    for (const Case& c : cases) {
        try {
            argumentsFor("", c.options);
            ADD_FAILURE() << c.options;
        } catch (const UsageError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}
