#include "languages/pcl/PclRaster.h"
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

TEST(PclRasterTest, RasterRowsBecomeOnePictureWithTheCursorBelowIt) {
    LanguageJob job("PCL", 600);
    // 150 dpi: a dot is 4 pixels. Rows of two bytes and one: 16 dots across, 2 down.
    const std::string rows = Esc + "*b2W" + std::string("\xFF\0", 2) + Esc + "*b1W\x0F";
    EXPECT_EQ(job.print(Esc + "*t150R" + Esc + "*r1A" + rows + Esc + "*rB" + "A"),
              "image 150 375 214 383 16x2\ntext 150 300 A\n");
    // At the cursor (1) or at the left edge (0); the default resolution is 75 dpi.
    EXPECT_EQ(job.print("AB" + Esc + "*r1A" + rows + Esc + "*rC"),
              "text 150 292 A\ntext 210 292 B\nimage 270 375 398 391 16x2\n");
    EXPECT_EQ(job.print("AB" + Esc + "*r0A" + rows + Esc + "*rC"),
              "text 150 292 A\ntext 210 292 B\nimage 150 375 278 391 16x2\n");
    // Rows without a start, ended by text; a Y offset leaves blank rows.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b1W\x80" + Esc + "*b2Y" + Esc + "*b1W\x80" + "A"),
              "image 150 375 166 383 8x4\ntext 150 300 A\n");
    // A combined sequence: compression mode 2 and a row in one.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b2m2W\xFE\xFF" + Esc + "*rB"),
              "image 150 375 198 377 24x1\n");
    // Raster data ends at the end of the job all the same, and a count larger than the
    // bytes there takes what is there.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*b5W\xFF\xFF"), "image 150 375 182 377 16x1\n");
}

TEST(PclRasterTest, APictureNeverGrowsPastTheSheet) {
    LanguageJob job("PCL", 600);
    // From the first baseline (375) to the foot of the sheet (6600) there is room for the
    // rows of 3113 dots at 300 dpi: the last row that starts on the sheet is kept, the one
    // after it dropped.
    EXPECT_EQ(job.print(Esc + "*t300R" + Esc + "*r0A" + Esc + "*b3112Y" + Esc + "*b1W\x80" + Esc +
                        "*b1W\xFF" + Esc + "*rB"),
              "image 150 375 166 6601 8x3113\n");
    // Thirty times 60000 blank rows ask for gigabytes; the row after them is below the
    // sheet, and the text after the picture prints at the foot of the sheet.
    std::string tall = Esc + "*t600R" + Esc + "*r0A";
    for (int i = 0; i < 30; ++i)
        tall += Esc + "*b60000Y";
    EXPECT_EQ(job.print(tall + Esc + "*b0M" + Esc + "*b1276W" + std::string(1276, '\xFF') + Esc +
                        "*rB" + "A"),
              "text 150 6517 A\n");
    // Counts past what a value field holds are held to 32767.
    EXPECT_EQ(job.print(Esc + "*b99999999999999999999999M" + Esc + "*b1W\xFF" + Esc + "*rB" + "A" +
                        Esc + "*b99999999999999999999999W" + "BC"),
              "text 150 300 A\n");
}
