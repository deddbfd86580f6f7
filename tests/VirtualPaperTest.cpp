#include "render/VirtualPaper.h"

#include <gtest/gtest.h>

using namespace marlet;

TEST(VirtualPaper, A4IsWhatDriversReport) {
    EXPECT_EQ(VirtualPaper::a4(600).width, 4960);
    EXPECT_EQ(VirtualPaper::a4(600).height, 7016);
    EXPECT_EQ(VirtualPaper::a4(300).width, 2480);
    EXPECT_EQ(VirtualPaper::a4(300).height, 3508);
    EXPECT_EQ(VirtualPaper::a4(72).width, 595);
    EXPECT_EQ(VirtualPaper::a4(72).height, 842);
}

TEST(VirtualPaper, UnequalStripsNarrowThePrintableAreaAndTurnWithTheSheet) {
    // Left 10, top 20, right 30, bottom 40 on a 1000 x 2000 portrait sheet.
    VirtualPaper paper{100, 1000, 2000, 10, 20, 30, 40};
    EXPECT_EQ(paper.printable(Orientation::Portrait).width, 960);
    EXPECT_EQ(paper.printable(Orientation::Portrait).height, 1940);
    EXPECT_EQ(paper.margin(Orientation::Portrait).width, 10);
    EXPECT_EQ(paper.margin(Orientation::Portrait).height, 20);
    // A quarter turn to the left: the top strip comes to the left, the right one to the top.
    EXPECT_EQ(paper.printable(Orientation::Landscape).width, 1940);
    EXPECT_EQ(paper.printable(Orientation::Landscape).height, 960);
    EXPECT_EQ(paper.margin(Orientation::Landscape).width, 20);
    EXPECT_EQ(paper.margin(Orientation::Landscape).height, 30);
    // The device reports the left and top strips, as a driver's offsets.
    EXPECT_EQ(paper.physicalPage().offsetX, 10);
    EXPECT_EQ(paper.physicalPage().offsetY, 20);

    // Without right and bottom strips of their own, the sheet is symmetric.
    VirtualPaper even{100, 1000, 2000, 10, 20};
    EXPECT_EQ(even.printable(Orientation::Portrait).width, 980);
    EXPECT_EQ(even.printable(Orientation::Portrait).height, 1960);
    EXPECT_EQ(even.margin(Orientation::Landscape).height, 10);
}
