#include "render/BitImage.h"

#include <gtest/gtest.h>

using namespace marlet;

TEST(BitImageTest, DotsArePackedHighBitFirstAndScaleByTheDotUnderEachPixel) {
    BitImage image(10, 2);
    EXPECT_EQ(image.stride(), 2);
    EXPECT_FALSE(image.inked());
    image.setDot(0, 0);
    image.setDot(9, 1);
    EXPECT_TRUE(image.inked());
    EXPECT_EQ(image.row(0)[0], 0x80);
    EXPECT_EQ(image.row(1)[1], 0x40);

    // A whole-number enlargement repeats each dot exactly.
    BitImage big = image.scaledPart(30, 6, 0, 0, 30, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 30; ++x)
            EXPECT_EQ(big.dot(x, y), image.dot(x / 3, y / 3)) << x << "," << y;
    }
    // 2 dots over 3 pixels: the middle pixel's centre lies on the second dot.
    BitImage two(2, 1);
    two.setDot(1, 0);
    BitImage three = two.scaledPart(3, 1, 0, 0, 3, 1);
    EXPECT_FALSE(three.dot(0, 0));
    EXPECT_TRUE(three.dot(1, 0));
    EXPECT_TRUE(three.dot(2, 0));
    EXPECT_EQ(image.scaledPart(0, 0, 0, 0, 0, 0).bits().size(), 0u);
}

TEST(BitImageTest, APartOfAScaledPictureIsThatPartOfTheWholeAndCostsOnlyItsOwnPixels) {
    BitImage image(5, 3);
    image.setDot(1, 0);
    image.setDot(4, 2);
    image.setDot(2, 1);
    const BitImage whole = image.scaledPart(17, 11, 0, 0, 17, 11);
    const BitImage part = image.scaledPart(17, 11, 4, 3, 9, 6);
    ASSERT_EQ(part.width(), 9);
    ASSERT_EQ(part.height(), 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(part.dot(x, y), whole.dot(x + 4, y + 3)) << x << "," << y;
    // A part reaching past the picture is cut at its edge.
    EXPECT_EQ(image.scaledPart(17, 11, 15, 10, 9, 6).width(), 2);
    EXPECT_EQ(image.scaledPart(17, 11, 15, 10, 9, 6).height(), 1);
    // Stretched over four thousand million pixels, the corner still takes the dots there.
    const BitImage corner =
        image.scaledPart(4'000'000'000LL, 4'000'000'000LL, 3'999'999'998LL, 3'999'999'998LL, 4, 4);
    ASSERT_EQ(corner.width(), 2);
    EXPECT_TRUE(corner.dot(0, 0));
    EXPECT_TRUE(corner.dot(1, 1));

    // Oring a part in at any bit offset.
    BitImage canvas(20, 3);
    canvas.orPart(3, 1, whole, 4, 3, 9, 2);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 3 && x < 12 && y >= 1 && y < 3;
            EXPECT_EQ(canvas.dot(x, y), inside && whole.dot(x + 1, y + 2)) << x << "," << y;
        }
}
