// The device values of a CUPS queue, and finding queues on a server of the test's own.

#include "cups/CupsQueue.h"
#include "base/Error.h"
#include "support/PrivateCupsd.h"

#include <gtest/gtest.h>

#include <string>

using namespace marlet;

namespace {

std::string describe(const VirtualPaper& paper) {
    return std::to_string(paper.dpi) + " dpi " + std::to_string(paper.width) + "x" +
           std::to_string(paper.height) + " strips " + std::to_string(paper.unprintableX) + "," +
           std::to_string(paper.unprintableY);
}

cups_size_t media(int width, int length, int left, int top, int right, int bottom) {
    cups_size_t size{};
    size.width = width;
    size.length = length;
    size.left = left;
    size.top = top;
    size.right = right;
    size.bottom = bottom;
    return size;
}

} // namespace

TEST(CupsDeviceValues, TakeResolutionPaperAndMarginsInPixels) {
    // A4 as a PPD gives it (595 x 842 points), quarter-inch margins.
    cups_size_t a4 = media(20990, 29704, 635, 635, 635, 635);
    EXPECT_EQ(describe(CupsQueue::deviceValues(300, &a4)), "300 dpi 2479x3508 strips 75,75");
    cups_size_t letter = media(21590, 27940, 423, 847, 423, 847);
    EXPECT_EQ(describe(CupsQueue::deviceValues(600, &letter)), "600 dpi 5100x6600 strips 100,200");
}

TEST(CupsDeviceValues, KeepEveryStripWhenTheyDiffer) {
    cups_size_t uneven = media(21000, 29700, 500, 300, 700, 900);
    VirtualPaper paper = CupsQueue::deviceValues(600, &uneven);
    EXPECT_EQ(describe(paper), "600 dpi 4961x7016 strips 118,71");
    EXPECT_EQ(paper.rightStrip(), 165);
    EXPECT_EQ(paper.bottomStrip(), 213);
    EXPECT_EQ(paper.printable(Orientation::Portrait).width, 4961 - 118 - 165);
    EXPECT_EQ(paper.printable(Orientation::Portrait).height, 7016 - 71 - 213);
}

TEST(CupsDeviceValues, FallBackToALaserPrinterWhereTheQueueTellsNothing) {
    EXPECT_EQ(describe(CupsQueue::deviceValues(0, nullptr)), "600 dpi 4960x7016 strips 100,100");
    EXPECT_EQ(describe(CupsQueue::deviceValues(300, nullptr)), "300 dpi 2480x3508 strips 50,50");
    cups_size_t letter = media(21590, 27940, 0, 0, 0, 0);
    EXPECT_EQ(describe(CupsQueue::deviceValues(0, &letter)), "600 dpi 5100x6600 strips 0,0");
    cups_size_t empty = media(0, 0, 0, 0, 0, 0);
    EXPECT_EQ(describe(CupsQueue::deviceValues(0, &empty)), "600 dpi 4960x7016 strips 100,100");
}

TEST(CupsServer, IsAbsentWhenNothingListens) {
    cupsSetServer("/nonexistent/cups.sock");
    EXPECT_FALSE(CupsQueue::serverAvailable());
    EXPECT_EQ(CupsQueue::defaultName(), "");
    cupsSetServer(nullptr);
}

class CupsQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!cupsd.unavailable().empty())
            GTEST_SKIP() << cupsd.unavailable();
        cupsd.addQueue("marlet-test");
        cupsSetServer(cupsd.socket().c_str());
    }
    void TearDown() override { cupsSetServer(nullptr); }

    PrivateCupsd cupsd;
};

TEST_F(CupsQueueTest, ReportsTheResolutionAndPrintableAreaOfItsDefaults) {
    ASSERT_TRUE(CupsQueue::serverAvailable());
    CupsQueue queue("marlet-test");
    EXPECT_EQ(queue.name(), "marlet-test");
    EXPECT_EQ(describe(queue.paper()), "300 dpi 2479x3508 strips 75,75") << cupsd.log();
}

TEST_F(CupsQueueTest, FindsTheServersDefaultQueue) {
    EXPECT_EQ(CupsQueue::defaultName(), "marlet-test");
    EXPECT_EQ(CupsQueue::defaultQueue().name(), "marlet-test");
}

TEST_F(CupsQueueTest, RefusesAQueueTheServerDoesNotHave) {
    try {
        CupsQueue queue("no-such-queue");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Printer selected is not valid: no-such-queue");
    }
}

TEST(CupsServerWithoutQueues, HasNoDefaultQueue) {
    PrivateCupsd cupsd;
    if (!cupsd.unavailable().empty())
        GTEST_SKIP() << cupsd.unavailable();
    cupsSetServer(cupsd.socket().c_str());
    EXPECT_TRUE(CupsQueue::serverAvailable());
    EXPECT_EQ(CupsQueue::defaultName(), "");
    try {
        CupsQueue::defaultQueue();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "There is no default printer currently selected");
    }
    cupsSetServer(nullptr);
}
