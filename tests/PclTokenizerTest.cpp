#include "languages/pcl/PclTokenizer.h"
#include "support/LanguageJob.h"

#include <gtest/gtest.h>

using marlet::testing::LanguageJob;

namespace {

const std::string Esc = "\x1B";

} // namespace

// On the test printer, a 600-dpi sheet of 8 by 11 inches with no unprintable strips: the
// logical page starts a quarter inch (150 pixels) in, the first baseline is the half-inch
// top margin (300) plus three quarters of a 6-lpi line (75), and 12-point Liberation Mono
// has an em of 100 pixels with the baseline 83 below the top of its glyphs.

TEST(PclTokenizerTest, JobLanguageLinesAndPlotterBlocksAreTakenWhole) {
    LanguageJob job("PCL", 600);
    EXPECT_EQ(job.print(Esc +
                        "%-12345X@PJL JOB NAME=\"x\"\r\n@PJL SET RESOLUTION=600\r\n"
                        "@PJL ENTER LANGUAGE=PCL\r\n" +
                        Esc + "E" + "A" + Esc + "%0BIN;SP1;PA10,10;LBText" + Esc + "\x03;PD;" +
                        Esc + "%0A" + "B" + Esc + "%-12345X@PJL EOJ\r\n" + Esc + "%-12345X"),
              "text 150 292 A\ntext 210 292 B\n");
    // A block cut by the end of the job, or ended by a printer reset.
    EXPECT_EQ(job.print("A" + Esc + "%1BIN;PD1,1;LBC"), "text 150 292 A\n");
    EXPECT_EQ(job.print(Esc + "%-1BIN;LBC" + Esc + "E" + "D"), "text 150 292 D\n");
    // Transparent data prints the bytes it carries as characters, escape included.
    EXPECT_EQ(job.traced(Esc + "&p3X" + "\x1B\x0D" + "A" + "B", " text "),
              "text 150 292 U+2190\ntext 210 292 U+266A\ntext 270 292 U+0041\n"
              "text 330 292 U+0042\n");
}
