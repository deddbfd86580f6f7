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
    BitImage big = image.scaled(30, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 30; ++x)
            EXPECT_EQ(big.dot(x, y), image.dot(x / 3, y / 3)) << x << "," << y;
    }
    // 2 dots over 3 pixels: the middle pixel's centre lies on the second dot.
    BitImage two(2, 1);
    two.setDot(1, 0);
    BitImage three = two.scaled(3, 1);
    EXPECT_FALSE(three.dot(0, 0));
    EXPECT_TRUE(three.dot(1, 0));
    EXPECT_TRUE(three.dot(2, 0));
    EXPECT_EQ(image.scaled(0, 0).bits().size(), 0u);
}
