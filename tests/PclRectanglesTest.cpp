#include "languages/pcl/PclRectangles.h"
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

TEST(PclRectanglesTest, RectanglesFillInBlackWhiteGreyAndPatterns) {
    LanguageJob job("PCL", 600);
    const std::string fills = " fill_color fill_rect ";
    // At the cursor (150 + 600, 300 + 1200), 300 by 150 dots of 1/300 inch.
    const std::string at = Esc + "*p300x600Y";
    EXPECT_EQ(job.traced(at + Esc + "*c300a150b0P", fills),
              "fill_rect 750 1500 1350 1800\nfill_color 0 0 0\n");
    EXPECT_EQ(job.traced(at + Esc + "*c720h360v20g2P" + Esc + "*c1P", fills),
              "fill_color 204 204 204\nfill_rect 750 1500 1350 1800\nfill_color 0 0 0\n"
              "fill_color 255 255 255\nfill_rect 750 1500 1350 1800\nfill_color 0 0 0\n");
    // Vertical lines a sixteenth of an inch apart, one 300-dpi dot thick.
    EXPECT_EQ(
        job.traced(at + Esc + "*c50a10b2g3P", fills),
        "fill_rect 750 1500 752 1520\nfill_rect 788 1500 790 1520\nfill_rect 826 1500 828 1520\n");
    EXPECT_EQ(job.print(at + Esc + "*c0a10b0P" + "A"), "text 750 1417 A\n");
}
