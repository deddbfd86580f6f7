#include "languages/escp/EscPCommands.h"
#include "support/LanguageJob.h"

#include <gtest/gtest.h>

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
    // A density the printer does not have is no image: the scheme drops the escape and
    // the rest prints.
    EXPECT_EQ(job.print(Esc + "*" + bytes({9}) + "A"), "text 0 0 *\ntext 60 0  \ntext 120 0 A\n");
}

TEST(EscPCommandsTest, TwentyFourPinEightDotColumnsUseEveryThirdPin) {
    LanguageJob job("ESC/P2", 720);
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
              "text 0 0 A\ntext 60 0 B\ntext 120 60 C\n");
    EXPECT_EQ(twentyFour.print("A" + Esc + "J" + bytes({18}) + "C"), "text 0 0 A\ntext 60 72 C\n");
    EXPECT_EQ(nine.print(Esc + "$" + bytes({60, 0}) + "A" + Esc + "\\" + bytes({0xC4, 0xFF}) + "B"),
              "text 720 0 A\ntext 420 0 B\n");
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
              "text 0 80 A\nimage 60 80 63 160 1x8\n");
    EXPECT_EQ(job.print(Esc + "*A"), "text 0 0 *\ntext 60 0 A\n");
}

TEST(EscPCommandsTest, CutCommandsTakeWhatIsThereAndDrawWholeColumns) {
    LanguageJob job("ESC/P", 720);
    // Ten columns announced, three there: three drawn, and the job ends normally.
    EXPECT_EQ(job.print("A" + Esc + "K" + bytes({10, 0, 1, 2, 3})),
              "text 0 0 A\nimage 60 0 96 80 3x8\n");
    // A 24-dot column needs three bytes: five bytes make one column.
    EXPECT_EQ(job.print(Esc + "*" + bytes({39, 3, 0, 1, 2, 3, 4, 5})), "image 0 0 4 96 1x24\n");
    for (const std::string& cut : {Esc + "K", Esc + "K" + bytes({5}), Esc + "*", Esc + "3",
                                   Esc + "$" + bytes({1}), Esc + "*" + bytes({39, 1})})
        EXPECT_EQ(job.print("A" + cut), "text 0 0 A\n");
    // Blank columns draw nothing but still take their room.
    EXPECT_EQ(job.print(Esc + "K" + bytes({2, 0, 0, 0}) + "A"), "text 24 0 A\n");
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
