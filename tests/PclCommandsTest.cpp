#include "languages/pcl/PclCommands.h"
#include "support/LanguageJob.h"

#include <gtest/gtest.h>

using marlet::testing::LanguageJob;

namespace {

const std::string Esc = "\x1B";

} // namespace

TEST(PclCommandsTest, TheCursorMovesInDecipointsAndDots) {
    // 600 dpi: 720 decipoints and 300 dots are each an inch of 600 pixels.
    LanguageJob job("PCL", 600);
    EXPECT_EQ(job.print(Esc + "&a720H" + "A" + Esc + "&a+360h1440V" + "B"),
              "text 600 0 A\ntext 950 1200 B\n");
    EXPECT_EQ(job.print("A" + Esc + "*p300X" + Esc + "*p+150Y" + "B" + Esc + "*p-75x0Y" + "C"),
              "text 0 0 A\ntext 600 300 B\ntext 500 0 C\n");
    // Fractions of a decipoint round to the nearest pixel.
    EXPECT_EQ(job.print(Esc + "&a7.5H" + "A"), "text 6 0 A\n");
}

TEST(PclCommandsTest, RasterRowsBecomeOnePictureWithTheCursorBelowIt) {
    LanguageJob job("PCL", 600);
    // 150 dpi: a dot is 4 pixels. Rows of two bytes and one: 16 dots across, 2 down.
    const std::string rows = Esc + "*b2W" + std::string("\xFF\0", 2) + Esc + "*b1W\x0F";
    EXPECT_EQ(job.print(Esc + "*t150R" + Esc + "*r1A" + rows + Esc + "*rB" + "A"),
              "image 0 0 64 8 16x2\ntext 0 8 A\n");
    // At the cursor (1) or at the left edge (0); the default resolution is 75 dpi.
    EXPECT_EQ(job.print("AB" + Esc + "*r1A" + rows + Esc + "*rC"), "text 0 0 A\ntext 50 0 B\n"
                                                                   "image 100 0 228 16 16x2\n");
    EXPECT_EQ(job.print("AB" + Esc + "*r0A" + rows + Esc + "*rC"), "text 0 0 A\ntext 50 0 B\n"
                                                                   "image 0 0 128 16 16x2\n");
    // Rows without a start, ended by text; a Y offset leaves blank rows.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b1W\x80" + Esc + "*b2Y" + Esc + "*b1W\x80" + "A"),
              "image 0 0 16 8 8x4\ntext 0 8 A\n");
    // A combined sequence: compression mode 2 and a row in one.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b2m2W\xFE\xFF" + Esc + "*rB"),
              "image 0 0 48 2 24x1\n");
    // Raster data ends at the end of the job all the same.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b1W\x01"), "image 0 0 16 2 8x1\n");
}

TEST(PclCommandsTest, OtherSequencesStayWithTheSchemeAndCutOnesTakeWhatIsThere) {
    LanguageJob job("PCL", 600, {{"Bold", Esc + "(s3B"}});
    EXPECT_EQ(job.print(Esc + "(s3BA"), "text 0 0 A\n");
    EXPECT_EQ(job.print(Esc + "*c5A"), "text 0 0 *\ntext 50 0 c\ntext 100 0 5\ntext 150 0 A\n");
    // Five bytes announced, two there: one row of 16 dots.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b5W\xFF\xFF"), "image 0 0 32 2 16x1\n");
    EXPECT_EQ(job.print("A" + Esc + "*b12"), "text 0 0 A\n");
    EXPECT_EQ(job.print("A" + Esc + "&a"), "text 0 0 A\n");
}
