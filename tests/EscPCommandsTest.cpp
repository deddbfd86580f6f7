#include "languages/escp/EscPCommands.h"
#include "support/LanguageJob.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

using marlet::Margins;
using marlet::Orientation;
using marlet::testing::LanguageJob;

namespace {

const std::string Esc = "\x1B";

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int value : values)
        out += static_cast<char>(value);
    return out;
}

} // namespace

TEST(EscPCommandsTest, ColumnImagesLandAtThePenScaledFromTheirDensityAndMoveItRight) {
    // 720 dpi: a 60-dpi column is 12 pixels wide, a 72-dpi dot row 10 pixels tall.
    LanguageJob job("ESC/P", 720);
    EXPECT_EQ(job.print(Esc + "K" + bytes({2, 0, 0x80, 0x01}) + "A"),
              "image 0 0 24 80 2x8\ntext 24 0 A\n");
    EXPECT_EQ(job.print(Esc + "L" + bytes({1, 0, 0xFF}) + Esc + "Y" + bytes({1, 0, 0xFF}) + Esc +
                        "Z" + bytes({1, 0, 0xFF}) + "A"),
              "image 0 0 6 80 1x8\nimage 6 0 12 80 1x8\nimage 12 0 15 80 1x8\ntext 15 0 A\n");
    // ESC ^: nine dots a column, the ninth in the high bit of the second byte.
    EXPECT_EQ(job.print(Esc + "^" + bytes({1, 1, 0, 0x01, 0x80})), "image 0 0 6 90 1x9\n");

    // Every density of ESC *: 8-dot modes 0 to 7, 24-dot modes 32, 33, 38, 39 and 40.
    const std::pair<int, int> widths[] = {{0, 12}, {1, 6},  {2, 6}, {3, 3},   {4, 9},
                                          {5, 10}, {6, 8},  {7, 5}, {32, 12}, {33, 6},
                                          {38, 8}, {39, 4}, {40, 2}};
    for (auto [mode, width] : widths) {
        const bool tall = mode >= 32;
        std::string column = tall ? bytes({0x80, 0, 1}) : bytes({0x81});
        EXPECT_EQ(job.print(Esc + "*" + bytes({mode, 1, 0}) + column),
                  "image 0 0 " + std::to_string(width) + (tall ? " 96 1x24\n" : " 80 1x8\n"))
            << "mode " << mode;
    }
    // A density the printer does not have draws nothing, but its columns are still taken
    // a byte each.
    EXPECT_EQ(job.print(Esc + "*" + bytes({9, 2, 0, 'X', 'Y'}) + "A"), "text 0 0 A\n");
}

TEST(EscPCommandsTest, TwentyFourPinEightDotColumnsUseEveryThirdPin) {
    LanguageJob job("ESC/P2", 720);
    // ESC . raster graphics: 360 dpi across, 180 down, plain and run-length rows; the
    // head moves by the dots sent.
    EXPECT_EQ(job.print(Esc + "." + bytes({0, 20, 10, 2, 12, 0, 0xFF, 0xF0, 0x80, 0x10}) + "A"),
              "image 0 0 24 8 12x2\ntext 24 0 A\n");
    EXPECT_EQ(job.print(Esc + "." + bytes({1, 20, 10, 2, 16, 0, 0xFE, 0xFF, 1, 0x80, 0x01}) + "A"),
              "image 0 0 32 8 16x2\ntext 32 0 A\n");
    EXPECT_EQ(job.print(Esc + "K" + bytes({1, 0, 0xFF})), "image 0 0 12 96 1x8\n");
    EXPECT_EQ(job.print(Esc + "*" + bytes({39, 2, 0}) + bytes({1, 2, 3, 4, 5, 6})),
              "image 0 0 8 96 2x24\n");
}

TEST(EscPCommandsTest, LineSpacingAndMovesFollowTheUnitsOfTheLanguage) {
    // Each line: a spacing command, then a line feed and a letter; 720 dpi.
    auto spacing = [](LanguageJob& job, const std::string& command) {
        std::string out = job.print(command + "\r\nA");
        return std::stoi(out.substr(out.rfind(' ', out.size() - 4) + 1));
    };
    LanguageJob nine("ESC/P", 720);
    LanguageJob twentyFour("ESC/P2", 720);
    EXPECT_EQ(spacing(nine, Esc + "3" + bytes({24})), 80);        // 24/216 inch
    EXPECT_EQ(spacing(twentyFour, Esc + "3" + bytes({24})), 96);  // 24/180 inch
    EXPECT_EQ(spacing(nine, Esc + "A" + bytes({12})), 120);       // 12/72 inch
    EXPECT_EQ(spacing(twentyFour, Esc + "A" + bytes({12})), 144); // 12/60 inch
    EXPECT_EQ(spacing(nine, Esc + "0"), 90);
    EXPECT_EQ(spacing(nine, Esc + "1"), 70);
    EXPECT_EQ(spacing(nine, Esc + "3" + bytes({10}) + Esc + "2"), 120);
    EXPECT_EQ(spacing(twentyFour, Esc + "+" + bytes({36})), 72);

    // ESC J advances the paper at once and leaves the column; ESC $ is absolute in 1/60
    // inch, ESC \ relative and signed, in 1/120 inch on 9 pins and 1/180 on 24.
    EXPECT_EQ(nine.print("AB" + Esc + "J" + bytes({18}) + "C"),
              "text 0 0 A\ntext 72 0 B\ntext 144 60 C\n");
    EXPECT_EQ(twentyFour.print("A" + Esc + "J" + bytes({18}) + "C"), "text 0 0 A\ntext 72 72 C\n");
    EXPECT_EQ(nine.print(Esc + "$" + bytes({60, 0}) + "A" + Esc + "\\" + bytes({0xC4, 0xFF}) + "B"),
              "text 720 0 A\ntext 432 0 B\n");
    EXPECT_EQ(twentyFour.print(Esc + "$" + bytes({60, 0}) + Esc + "\\" + bytes({0xC4, 0xFF}) + "B"),
              "text 480 0 B\n");
}

TEST(EscPCommandsTest, StripesPrintedWithTheirOwnSpacingAbut) {
    // 8/72 inch at 600 dpi is 66.67 pixels: the stripe and the line feed round alike.
    LanguageJob nine("ESC/P", 600);
    std::string stripes = Esc + "3" + bytes({24});
    for (int i = 0; i < 3; ++i)
        stripes += Esc + "L" + bytes({1, 0, 0xFF}) + "\r\n";
    EXPECT_EQ(nine.print(stripes),
              "image 0 0 5 67 1x8\nimage 0 67 5 134 1x8\nimage 0 134 5 201 1x8\n");
    LanguageJob twentyFour("ESC/P2", 600);
    stripes = Esc + "3" + bytes({24});
    for (int i = 0; i < 2; ++i)
        stripes += Esc + "*" + bytes({39, 1, 0, 0xFF, 0xFF, 0xFF}) + "\r\n";
    EXPECT_EQ(twentyFour.print(stripes), "image 0 0 3 80 1x24\nimage 0 80 3 160 1x24\n");
}

TEST(EscPCommandsTest, ProprinterKeepsItsSpacingUntilEscTwoAndHasNoEscStar) {
    LanguageJob job("Proprinter", 720);
    EXPECT_EQ(job.print(Esc + "A" + bytes({24}) + "\r\nA" + Esc + "2\r\nB"),
              "text 0 120 A\ntext 0 360 B\n");
    EXPECT_EQ(job.print(Esc + "3" + bytes({24}) + "\r\nA" + Esc + "Z" + bytes({1, 0, 1})),
              "text 0 80 A\nimage 72 80 75 160 1x8\n");
    EXPECT_EQ(job.print(Esc + "*A"), "text 0 0 *\ntext 72 0 A\n");
}

TEST(EscPCommandsTest, CutCommandsTakeWhatIsThereAndDrawWholeColumns) {
    LanguageJob job("ESC/P", 720);
    // Ten columns announced, three there: three drawn, and the job ends normally.
    EXPECT_EQ(job.print("A" + Esc + "K" + bytes({10, 0, 1, 2, 3})),
              "text 0 0 A\nimage 72 0 108 80 3x8\n");
    // A 24-dot column needs three bytes: five bytes make one column.
    EXPECT_EQ(job.print(Esc + "*" + bytes({39, 3, 0, 1, 2, 3, 4, 5})), "image 0 0 4 96 1x24\n");
    for (const std::string& cut : {Esc + "K", Esc + "K" + bytes({5}), Esc + "*", Esc + "3",
                                   Esc + "$" + bytes({1}), Esc + "*" + bytes({39, 1})})
        EXPECT_EQ(job.print("A" + cut), "text 0 0 A\n");
    // Blank columns draw nothing but still take their room.
    EXPECT_EQ(job.print(Esc + "K" + bytes({2, 0, 0, 0}) + "A"), "text 24 0 A\n");
    // Columns longer than the job's read buffer are all read: the image ends where its
    // data does, and the A after it (past the sheet's edge) starts the next line.
    EXPECT_EQ(job.print(Esc + "*" + bytes({39, 0xFF, 0xFF}) + std::string(196605, '\x81') + "A"),
              "image 0 0 262140 96 65535x24\ntext 0 120 A\n");
    // A command begun in the initialisation string takes its data from the file.
    EXPECT_EQ(job.print(bytes({0x80, 0x80}) + "A", Esc + "K" + bytes({2, 0})),
              "image 0 0 24 80 2x8\ntext 24 0 A\n");
}

TEST(EscPCommandsTest, WithoutALanguageTheBytesGoToTheSchemeAsBefore) {
    LanguageJob job("", 720);
    EXPECT_EQ(job.print(Esc + "K" + bytes({1, 0, 'B'})),
              "text 0 0 K\ntext 60 0  \ntext 120 0  \ntext 180 0 B\n");
    EXPECT_EQ(job.trace.str().find("image"), std::string::npos);
}

TEST(EscPCommandsTest, LineEndsAndControlCodesMoveAsThePrinterDoes) {
    // 720 dpi: 10 cpi is 72 pixels a cell, a sixth of an inch 120 pixels a line.
    LanguageJob epson("ESC/P", 720);
    const std::pair<std::string, std::string> cases[] = {
        // LF returns the carriage; CR LF prints no blank line.
        {"AB\nC\r\nD", "text 0 0 A\ntext 72 0 B\ntext 0 120 C\ntext 0 240 D\n"},
        // NUL, BEL, DC1, DC3 and DEL take no cell; BS steps back one.
        {"A" + bytes({0, 7, 0x11, 0x13, 0x7F}) + "B\bC", "text 0 0 A\ntext 72 0 B\ntext 72 0 C\n"},
        // HT: every eight columns at power-on; ESC D sets stops, and past the last one
        // HT stays.
        {"A\tB", "text 0 0 A\ntext 576 0 B\n"},
        {Esc + "D" + bytes({3, 10, 0}) + "\tA\tB\tC", "text 216 0 A\ntext 720 0 B\ntext 792 0 C\n"},
        // SO: double width until the line ends; DC4 ends it sooner.
        {"\x0E"
         "AB\nC",
         "text 0 0 A\ntext 144 0 B\ntext 0 120 C\n"},
        {"\x0E"
         "A\x14"
         "BC",
         "text 0 0 A\ntext 144 0 B\ntext 216 0 C\n"},
        // SI condensed at 17.14 cpi until DC2; ESC M, ESC g: 12 and 15 cpi.
        {"\x0F"
         "AB\x12"
         "CD",
         "text 0 0 A\ntext 42 0 B\ntext 84 0 C\ntext 156 0 D\n"},
        {Esc + "M" + "AB" + Esc + "g" + "CD",
         "text 0 0 A\ntext 60 0 B\ntext 120 0 C\ntext 168 0 D\n"},
        // ESC ! every bit: 1 elite, 32 double width; ESC W with a binary or an ASCII 1.
        {Esc + "!" + bytes({33}) + "AB", "text 0 0 A\ntext 120 0 B\n"},
        {Esc + "W" + bytes({1}) + "A" + Esc + "W0" + "BC",
         "text 0 0 A\ntext 144 0 B\ntext 216 0 C\n"},
        // ESC SP n adds n/120 inch after each character.
        {Esc + " " + bytes({12}) + "AB", "text 0 0 A\ntext 144 0 B\n"},
        // Subscript sits a third of a line lower, superscript at its top.
        {Esc + "S1A" + Esc + "S0B" + Esc + "TC", "text 0 40 A\ntext 72 0 B\ntext 144 0 C\n"},
        // ESC x, ESC k, ESC t are taken and change nothing; ESC @ returns to power-on.
        {Esc + "x" + bytes({1}) + Esc + "k1" + Esc + "t" + bytes({1}) + "AB",
         "text 0 0 A\ntext 72 0 B\n"},
        {Esc + "W1" + Esc + "@" + "AB", "text 0 0 A\ntext 72 0 B\n"},
        // ESC l: the left margin in columns, where CR and LF return.
        {Esc + "l" + bytes({5}) + "A\r\nB", "text 360 0 A\ntext 360 120 B\n"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(epson.print(input), expected) << input;
    // A full line wraps at the next character, not before a CR LF.
    std::string full = epson.print(std::string(80, 'x') + "\r\nB" + std::string(80, 'y') + "z");
    EXPECT_NE(full.find("text 5688 0 x\ntext 0 120 B\n"), std::string::npos) << full;
    EXPECT_NE(full.find("text 5688 120 y\ntext 0 240 y\ntext 72 240 z\n"), std::string::npos)
        << full;

    // ESC R 2: the German set prints umlauts for [ \ ]; ESC R 0 returns to ASCII.
    epson.print(Esc + "R" + bytes({2}) + "[\\]" + Esc + "R" + bytes({0}) + "[");
    EXPECT_NE(epson.trace.str().find("text 0 0 U+00C4\ntext 72 0 U+00D6\ntext 144 0 U+00DC\n"
                                     "text 216 0 U+005B\n"),
              std::string::npos)
        << epson.trace.str();
    // Binary ESC - 1 underlines; the font says so.
    epson.print(Esc + "-" + bytes({1}) + "A");
    EXPECT_NE(epson.trace.str().find("underline=1"), std::string::npos);
    // Double width is a font of twice the pitch's width.
    epson.print("\x0E"
                "A");
    EXPECT_NE(epson.trace.str().find("height=120 width=144"), std::string::npos)
        << epson.trace.str();

    // The Proprinter's LF only feeds, unless the job holds no CR at all.
    LanguageJob proprinter("Proprinter", 720);
    EXPECT_EQ(proprinter.print("A\r\nB\nC"), "text 0 0 A\ntext 0 120 B\ntext 72 240 C\n");
    EXPECT_EQ(proprinter.print("A\nB"), "text 0 0 A\ntext 0 120 B\n");
    // So does every scheme without a language: a mixed job feeds only.
    LanguageJob plain("", 720);
    EXPECT_EQ(plain.print("A\nB"), "text 0 0 A\ntext 0 120 B\n");
    EXPECT_EQ(plain.print("A\r\nB\nC"), "text 0 0 A\ntext 0 120 B\ntext 60 240 C\n");
}

TEST(EscPCommandsTest, ProportionalTextAdvancesByEachGlyphAndFixedPitchKeepsItsCells) {
    // 720 dpi, a printer whose "!" is half as wide as the rest when the face is
    // proportional: the 120-pixel line's glyphs are 63 pixels wide, "!" 31.
    LanguageJob epson("ESC/P", 720);
    epson.printer.proportional = true;
    const std::pair<std::string, std::string> cases[] = {
        // ESC p 1 sets each glyph in its own width; ESC p 0 returns to 72-pixel cells.
        {Esc + "p" + bytes({1}) + "A!B" + Esc + "p0" + "C!D",
         "text 0 0 A\ntext 63 0 !\ntext 94 0 B\ntext 157 0 C\ntext 229 0 !\ntext 301 0 D\n"},
        // ESC ! bit 1 alike; condensed and ESC M set meanwhile wait for fixed spacing.
        {Esc + "!" + bytes({2}) + "\x0F" + Esc + "M" + "A!B" + Esc + "p" + bytes({0}) + "CD",
         "text 0 0 A\ntext 63 0 !\ntext 94 0 B\ntext 157 0 C\ntext 193 0 D\n"},
        // ESC SP n adds n/120 inch after every character, proportional or fixed.
        {Esc + " " + bytes({12}) + Esc + "p1" + "A!B" + Esc + "p0" + "CD",
         "text 0 0 A\ntext 135 0 !\ntext 238 0 B\ntext 373 0 C\ntext 517 0 D\n"},
        // BS goes back over the last character: "!" is struck over "!", "B" over "B".
        {Esc + "p1" + "A!\b!B\bB",
         "text 0 0 A\ntext 63 0 !\ntext 63 0 !\ntext 94 0 B\ntext 94 0 B\n"},
        // Columns of margins and tab stops count at 10 cpi in proportional spacing.
        {Esc + "p1" + Esc + "l" + bytes({5}) + "A\tB\r\nC",
         "text 360 0 A\ntext 936 0 B\ntext 360 120 C\n"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(epson.print(input), expected) << input;
    // The roman face, ESC k 1 the sans serif one, at the line's height in the face's own
    // widths; double width stretches its average glyph (1187 of 2288 units of its cell) to
    // twice 62 pixels. Fixed pitch returns to the job's face in its cells.
    EXPECT_EQ(epson.traced(Esc + "p1A" + Esc + "k" + bytes({1}) + "B" + Esc + "W1C" + Esc + "p0D",
                           " font "),
              "font face=\"Liberation Serif\" height=120 width=0 escapement=0 orientation=0 "
              "weight=0 italic=0 underline=0 strikeout=0 charset=204 out_precision=4 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "font face=\"Liberation Sans\" height=120 width=0 escapement=0 orientation=0 "
              "weight=0 italic=0 underline=0 strikeout=0 charset=204 out_precision=4 "
              "clip_precision=0 quality=2 pitch_family=2\n"
              "font face=\"Liberation Sans\" height=120 width=124 escapement=0 orientation=0 "
              "weight=0 italic=0 underline=0 strikeout=0 charset=204 out_precision=4 "
              "clip_precision=0 quality=2 pitch_family=2\n");
    // ESC/P2's ESC X 1 is proportional too, and the Proprinter's ESC P 1.
    LanguageJob lq("ESC/P2", 720);
    lq.printer.proportional = true;
    EXPECT_EQ(lq.print(Esc + "X" + bytes({1, 0, 0}) + "A!B" + Esc + "X" + bytes({36, 0, 0}) + "C"),
              "text 0 0 A\ntext 63 0 !\ntext 94 0 B\ntext 157 0 C\n");
    LanguageJob proprinter("Proprinter", 720);
    proprinter.printer.proportional = true;
    EXPECT_EQ(proprinter.print(Esc + "P" + bytes({1}) + "A!B"),
              "text 0 0 A\ntext 63 0 !\ntext 94 0 B\n");
}

TEST(EscPCommandsTest, CancelClearsTheLineNotYetPrinted) {
    // CAN forgets what was set since the line last printed (at CR, LF, FF, VT, a vertical
    // move, a full line or the end of the job); setting starts again at the margin.
    const std::string can = bytes({0x18});
    const std::pair<std::string, std::string> cases[] = {
        {"AB" + can + "CD\r\n", "text 0 0 C\ntext 72 0 D\n"},
        {"AB\r" + can + "CD\r\nE",
         "text 0 0 A\ntext 72 0 B\ntext 0 0 C\ntext 72 0 D\ntext 0 120 E\n"},
        {"AB\nCD" + can + "E", "text 0 0 A\ntext 72 0 B\ntext 0 120 E\n"},
        {"A" + Esc + "J" + bytes({36}) + "B" + can + "C", "text 0 0 A\ntext 0 120 C\n"},
        {"A" + Esc + "EB" + can + "C", "text 0 0 C\n"},
        {"AB\fCD" + can, "text 0 0 A\ntext 72 0 B\nnew_page\n"},
        // A picture of the cancelled line goes with its text; one of a printed line stays.
        {"A" + Esc + "K" + bytes({1, 0, 0xFF}) + can + "B\r\n" + Esc + "K" + bytes({1, 0, 0xFF}) +
             "\r" + can,
         "text 0 0 B\nimage 0 120 12 200 1x8\n"},
    };
    LanguageJob epson("ESC/P", 720);
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(epson.print(input), expected) << input;
    // Frame strokes of the cancelled line are dropped too; those after it print.
    LanguageJob framed("ESC/P", 720);
    framed.table.loadText("\x01..\xAF=0#204\n\xB0..\xDF=0#0\n\xE0..\xFF=0#204\n");
    const std::string strokes = " text move_to line_to fill_rect ";
    const std::string frame = framed.traced("\xC4", strokes);
    ASSERT_NE(frame.find("line_to"), std::string::npos) << frame;
    EXPECT_EQ(framed.traced("A\xC4" + can + "\xC4", strokes), frame);
    // The Proprinter clears its buffer alike.
    LanguageJob proprinter("Proprinter", 720);
    EXPECT_EQ(proprinter.print("AB" + can + "C"), "text 0 0 C\n");
}

TEST(EscPCommandsTest, TheUsersOwnEntriesAndDropLinesWinOverTheLanguage) {
    // A scheme that makes ESC P elite: its 12 cpi cell, not the language's pica.
    LanguageJob edited("ESC/P", 720, {{"Elit", "\x1BP"}});
    EXPECT_EQ(edited.print(Esc + "PAB"), "text 0 0 A\ntext 60 0 B\n");
    // A drop line swallows ESC E: nothing turns bold.
    LanguageJob dropping("ESC/P", 720);
    dropping.dropList = {Esc + "E"};
    EXPECT_EQ(dropping.print(Esc + "EAB"), "text 0 0 A\ntext 72 0 B\n");
    EXPECT_EQ(dropping.trace.str().find("weight=700"), std::string::npos);
}

TEST(EscPCommandsTest, FormsSetWherePagesEnd) {
    LanguageJob epson("ESC/P", 720);
    // ESC C 3: a form of three lines; the fourth line starts the next sheet.
    EXPECT_EQ(
        epson.print(Esc + "C" + bytes({3}) + "A\nB\nC\nD\fE"),
        "text 0 0 A\ntext 0 120 B\ntext 0 240 C\nnew_page\ntext 0 0 D\nnew_page\ntext 0 0 E\n");
    // ESC C NUL 1: one inch, six lines.
    EXPECT_EQ(epson.print(Esc + "C" + bytes({0, 1}) + "\n\n\n\n\nA\nB"),
              "text 0 600 A\nnew_page\ntext 0 0 B\n");
    // ESC N 2 skips the last two lines of the form.
    EXPECT_EQ(epson.print(Esc + "C" + bytes({4}) + Esc + "N" + bytes({2}) + "A\nB\nC"),
              "text 0 0 A\ntext 0 120 B\nnew_page\ntext 0 0 C\n");
    // A form of 22 inches on the 11-inch sheet prints at half its size: cells, lines and
    // images alike, on one sheet.
    EXPECT_EQ(epson.print(Esc + "C" + bytes({0, 22}) + "AB\n" + Esc + "K" + bytes({1, 0, 0xFF}) +
                          "C\n" + std::string(129, '\n') + "D\nE"),
              "text 0 0 A\ntext 36 0 B\nimage 0 60 6 100 1x8\ntext 6 60 C\ntext 0 7860 D\n"
              "new_page\ntext 0 0 E\n");
    // A sheet a little narrower than the printer's 80 columns (A4 inside 1/6-inch strips)
    // takes the whole line at 59 pixels a column instead of 60; a label prints at full size.
    LanguageJob a4("ESC/P", 600);
    a4.printer.sheet = {4760, 6816, 0, 0};
    a4.geometry.checksize(a4.sample, Margins{}, Orientation::Portrait);
    std::string printed = a4.print(std::string(80, 'x') + "\r\nB");
    EXPECT_NE(printed.find("text 4661 0 x\ntext 0 98 B\n"), std::string::npos) << printed;
    LanguageJob label("ESC/P", 600);
    label.printer.sheet = {2400, 1200, 0, 0};
    label.geometry.checksize(label.sample, Margins{}, Orientation::Portrait);
    printed = label.print(std::string(41, 'x'));
    EXPECT_NE(printed.find("text 2340 0 x\ntext 0 100 x\n"), std::string::npos) << printed;
    // ESC B sets vertical tab stops in lines; VT goes to the next and returns the carriage.
    EXPECT_EQ(epson.print(Esc + "B" + bytes({2, 5, 0}) + "A\vB\vC"),
              "text 0 0 A\ntext 0 240 B\ntext 0 600 C\n");

    // ESC/P2: ESC ( U sets the unit, ESC ( V moves down from the top, ESC ( C sets the
    // page length, ESC ( v moves relative.
    LanguageJob lq("ESC/P2", 720);
    EXPECT_EQ(lq.print(Esc + "(U" + bytes({1, 0, 10}) + Esc + "(V" + bytes({2, 0, 0x68, 0x01}) +
                       "A" + Esc + "(v" + bytes({2, 0, 0x2D, 0}) + "B"),
              "text 0 720 A\ntext 72 810 B\n");
    EXPECT_EQ(lq.print(Esc + "(C" + bytes({2, 0, 0xB4, 0}) + "A\nB\nC\nD"),
              "text 0 0 A\ntext 0 120 B\ntext 0 240 C\nnew_page\ntext 0 0 D\n");
    // ESC ( c with margins of 180 and 360 units of 1/360 inch (after ESC ( U 10): every
    // page's first line prints half an inch down, three lines fit above the bottom margin,
    // and ESC ( V counts from the top margin.
    const std::string format = Esc + "(c" + bytes({4, 0, 0xB4, 0, 0x68, 0x01});
    EXPECT_EQ(lq.print(format + "A\nB\nC\nD\fE" + Esc + "(V" + bytes({2, 0, 0x5A, 0}) + "F"),
              "text 0 360 A\ntext 0 480 B\ntext 0 600 C\nnew_page\ntext 0 360 D\nnew_page\n"
              "text 0 360 E\ntext 72 540 F\n");
    // In units of 1/720 inch, the same margins are half as far.
    EXPECT_EQ(lq.print(Esc + "(U" + bytes({1, 0, 5}) + format + "A"), "text 0 180 A\n");
    // Vertical tab stops count from that top margin too, on every page.
    EXPECT_EQ(lq.print(format + Esc + "B" + bytes({2, 0}) + "A\vB\fC\vD"),
              "text 0 360 A\ntext 0 600 B\nnew_page\ntext 0 360 C\ntext 0 600 D\n");
}

TEST(EscPCommandsTest, CommandsTakeTheirBytesAcrossTheInitialisationStringAndTheFile) {
    LanguageJob job("ESC/P", 720);
    // An unknown density whose byte comes from the file: the columns are taken, nothing
    // is divided by the density's column size.
    EXPECT_EQ(job.print(bytes({9, 2, 0, 'Q', 'R'}) + "A", Esc + "*"), "text 0 0 A\n");
    EXPECT_EQ(job.print(bytes({1, 0, 0xFF}) + "A", Esc + "*" + bytes({0})),
              "image 0 0 12 80 1x8\ntext 12 0 A\n");
    EXPECT_EQ(job.print(bytes({5}) + "AB", Esc + "W"), "text 0 0 A\ntext 144 0 B\n");
}

TEST(EscPCommandsTest, MovesPastTheSheetStopAtItsEdge) {
    // 13200 steps of +32767/120 inch would pass 32 bits many times over; the head stops at
    // the sheet's right edge and the X after it starts the next line.
    LanguageJob job("ESC/P", 720);
    std::string moves;
    for (int i = 0; i < 13200; ++i)
        moves += Esc + "\\" + bytes({0xFF, 0x7F});
    EXPECT_EQ(job.print(moves + "X"), "text 0 120 X\n");
    // Backwards past the margin, and absolute beyond the sheet, an image there draws
    // nothing and the text after it prints.
    std::string back;
    for (int i = 0; i < 13200; ++i)
        back += Esc + "\\" + bytes({0x01, 0x80});
    EXPECT_EQ(job.print("A" + back + "B"), "text 0 0 A\ntext 0 0 B\n");
    EXPECT_EQ(job.print(Esc + "$" + bytes({0xFF, 0xFF}) + Esc + "K" + bytes({1, 0, 0xFF}) + "C"),
              "text 0 120 C\n");
}

namespace {

// A printed job as a reader sees it: each line's characters in order, anything outside
// ASCII as '#', trailing blanks dropped, and "--" between sheets.
std::vector<std::string> readerLines(const std::string& printed) {
    std::vector<std::string> out;
    std::map<int, std::map<int, char>> sheet;
    auto endSheet = [&] {
        for (auto& [y, cells] : sheet) {
            std::string line;
            for (auto [x, c] : cells)
                line += (c >= 0x20 && c < 0x7F) ? c : '#';
            line.erase(line.find_last_not_of(' ') + 1);
            out.push_back(line);
        }
        sheet.clear();
    };
    std::istringstream lines(printed);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "new_page") {
            endSheet();
            out.push_back("--");
        } else if (line.starts_with("text ")) {
            std::istringstream parts(line.substr(5));
            int x = 0, y = 0;
            parts >> x >> y;
            sheet[y][x] = line.back();
        }
    }
    endSheet();
    return out;
}

std::string fileBytes(const std::string& name) {
    std::ifstream in(std::string(MARLET_TEST_DATA) + "/escp/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(EscPCommandsTest, SampleStreamsPrintEverySourceLineAsOneLine) {
    const std::string frame(29, '#');
    const std::vector<std::string> lab = {"HPLC-7 ANALYSER   RUN 001",
                                          frame,
                                          "# Peak # Time min # Area    #",
                                          frame,
                                          "#    1 #     1.25 #    3000 #",
                                          "#    2 #     2.50 #    4000 #",
                                          "#    3 #     3.75 #    5000 #",
                                          "#    4 #     5.00 #    6000 #",
                                          "#    5 #     6.25 #    7000 #",
                                          frame,
                                          "SIGNED",
                                          "--",
                                          "HPLC-7 ANALYSER   RUN 002",
                                          frame,
                                          "# Peak # Time min # Area    #",
                                          frame,
                                          "#    1 #     2.25 #    3000 #",
                                          "#    2 #     3.50 #    4000 #",
                                          "#    3 #     4.75 #    5000 #",
                                          "#    4 #     6.00 #    6000 #",
                                          "#    5 #     7.25 #    7000 #",
                                          frame,
                                          "END OF RUN"};
    const std::vector<std::string> features = {
        "FEATURE TEST", "PICA 10 CPI",   "ELITE 12 CPI", "FIFTEEN CPI", "CONDENSED",
        "EMPHASIZED",   "DOUBLE-STRIKE", "ITALIC",       "UNDERLINED",  "DOUBLE WIDE",
        "SO ONE LINE",  "DOUBLE HIGH",   "SUPERSCRIPT",  "SUBSCRIPT",   "MASTER ELITE BOLD WIDE",
        "SPACED"};
    const std::vector<std::string> invoice = {"INVOICE 4711",      "ItemQtyPriceTotal",
                                              "Bolts102.5025.00",  "Nuts2000.1020.00",
                                              "Washers500.052.50", "TOTAL47.50"};
    const std::vector<std::string> lq = {"TOP OF FORM",  "HALF AN INCH DOWN", "ONE INCH DOWN",
                                         "TWENTY POINT", "LAST LINE",         "--",
                                         "SECOND FORM"};
    const std::tuple<const char*, const char*, std::vector<std::string>> streams[] = {
        {"lab-report-9pin.prn", "ESC/P", lab},
        {"bit-image-nul-padded.prn", "ESC/P", {"GRAPH", "AXIS 0-120"}},
        {"feature-test.prn", "ESC/P", features},
        {"invoice-tabs.prn", "ESC/P", invoice},
        {"escp2-page.prn", "ESC/P2", lq}};
    // 600 dpi: 60 pixels a pica cell, 100 a sixth of an inch.
    for (const auto& [name, language, expected] : streams) {
        LanguageJob job(language, 600);
        const std::string printed = job.print(fileBytes(name));
        EXPECT_EQ(readerLines(printed), expected) << name;
        const std::string trace = job.trace.str();
        if (std::string(name) == "bit-image-nul-padded.prn") {
            // Forty NULs take no room: every stripe starts at the left margin, 24/216 inch
            // below the last.
            EXPECT_NE(printed.find("text 0 0 G\n"), std::string::npos);
            for (int stripe = 0; stripe < 6; ++stripe)
                EXPECT_NE(printed.find("image 0 " + std::to_string(67 + stripe * 67)),
                          std::string::npos)
                    << printed;
        } else if (std::string(name) == "invoice-tabs.prn") {
            // SO doubles the heading's cells; the tab stops stand at columns 10, 30 and 45.
            EXPECT_NE(printed.find("text 0 0 I\ntext 120 0 N\n"), std::string::npos);
            EXPECT_NE(trace.find("width=120"), std::string::npos);
            for (const char* cell : {"text 600 200 Q\n", "text 1800 200 P\n", "text 2700 200 T\n",
                                     "text 2700 700 4\n"})
                EXPECT_NE(printed.find(cell), std::string::npos) << cell;
        } else if (std::string(name) == "escp2-page.prn") {
            // Half an inch and one inch down in 1/360-inch units; the page is four inches.
            EXPECT_NE(printed.find("text 0 300 H\n"), std::string::npos);
            EXPECT_NE(printed.find("text 0 600 O\n"), std::string::npos);
            // ESC X 20 points: a taller cell standing on the line's baseline.
            EXPECT_NE(printed.find("text 0 610 T\n"), std::string::npos) << printed;
            EXPECT_NE(trace.find("height=190 width=60"), std::string::npos);
        }
    }
}
