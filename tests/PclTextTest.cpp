#include "languages/pcl/PclText.h"
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

TEST(PclTextTest, FontsAreChosenByTheirCharacteristics) {
    LanguageJob job("PCL", 600);
    job.printer.proportional = true;
    const std::string fonts = " font text ";
    // Courier 10 cpi 12 point at power-on; 12 cpi is 10 point; Line Printer 16.67 cpi at
    // 8.5 points; Times 14 point bold italic and Univers in their own glyph widths ("!" is
    // half as wide as the others on the test printer).
    EXPECT_EQ(job.traced("A" + Esc + "(s12H" + "B" + Esc + "(s0T" + "C", fonts),
              "font face=\"Liberation Mono\" height=-100 width=60 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=1\n"
              "text 150 292 U+0041\n"
              "font face=\"Liberation Mono\" height=-83 width=50 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=1\n"
              "text 210 306 U+0042\n"
              "font face=\"Liberation Mono\" height=-71 width=36 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=1\n"
              "text 260 316 U+0043\n");
    EXPECT_EQ(job.traced(Esc + "(s1p14v1s3b4101T" + "A!B" + Esc + "(s4148T" + "C", fonts),
              "font face=\"Liberation Serif\" height=-117 width=0 escapement=0 orientation=0 "
              "weight=700 italic=1 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "text 150 271 U+0041\ntext 220 271 U+0021\ntext 255 271 U+0042\n"
              "font face=\"Liberation Sans\" height=-117 width=0 escapement=0 orientation=0 "
              "weight=700 italic=1 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "text 325 269 U+0043\n");
    // Symbol sets: Roman-8, PC-8, Windows Cyrillic; the secondary font by SO and SI.
    EXPECT_EQ(job.traced(Esc + "(8U\xC5" + Esc + "(10U\xC4" + Esc + "(9R\xC0" + Esc + ")s1P" +
                             "\x0E" + "A\x0F" + "B",
                         " text "),
              "text 150 292 U+00E9\ntext 210 292 U+2500\ntext 270 292 U+0410\n"
              "text 330 284 U+0041\ntext 390 292 U+0042\n");
    // Underline on and off.
    EXPECT_NE(job.traced(Esc + "&dDA" + Esc + "&d@B", fonts).find("underline=1"),
              std::string::npos);
}

TEST(PclTextTest, BackspaceGoesBackTheLastSymbolAndOneOverProportionalTextCentresTheNext) {
    LanguageJob job("PCL", 600);
    job.printer.proportional = true;
    const std::string times = Esc + "(s1p14v1s3b4101T";
    const std::pair<std::string, std::string> cases[] = {
        // "A" is 70 wide and "!" 35: "_" is centred on "!", and "B" follows "!" as if the
        // overstrike were not there.
        {times + "A!\b_B",
         "text 150 271 U+0041\ntext 220 271 U+0021\ntext 203 271 U+005F\ntext 255 271 "
         "U+0042\n"},
        // Two backspaces go back twice the last symbol, "B", and print on from there.
        {times + "AB\b\bCD",
         "text 150 271 U+0041\ntext 220 271 U+0042\ntext 150 271 U+0043\ntext 220 271 "
         "U+0044\n"},
        // Fixed pitch goes back one column of the HMI.
        {"AB\bC", "text 150 292 U+0041\ntext 210 292 U+0042\ntext 210 292 U+0043\n"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(job.traced(input, " text "), expected) << input;
}

TEST(PclTextTest, ADownloadedFontPrintsInTheNearestInstalledFace) {
    LanguageJob job("PCL", 600);
    // A 64-byte header: proportional, Roman-8, 14.4 points (240 quarter dots), Times
    // (4101); then one character's data, which prints nothing.
    std::string header(64, '\0');
    header[1] = 64;
    header[13] = 1;
    header[14] = 0x01;
    header[15] = 0x15;
    header[18] = 0;
    header[19] = static_cast<char>(240);
    header[25] = 0x05;
    header[26] = 0x10;
    const std::string download = Esc + "*c7D" + Esc + ")s64W" + header + Esc + "*c65E" + Esc +
                                 "(s12W" + "ABC\x1B" + "DEFGHIJK";
    EXPECT_EQ(job.traced(download + Esc + "(7X" + "A", " font text "),
              "font face=\"Liberation Serif\" height=-120 width=0 escapement=0 orientation=0 "
              "weight=400 italic=0 underline=0 strikeout=0 charset=1 out_precision=3 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "text 150 268 U+0041\n");
    // Deleted, the ID selects nothing.
    EXPECT_EQ(job.traced(download + Esc + "*c0F" + Esc + "(7X" + "A", " text "),
              "text 150 292 U+0041\n");
}
