#include "pdf/PdfPageImages.h"

#include <gtest/gtest.h>

#include <functional>

#include <regex>
#include <string>
#include <vector>

using namespace marlet;

namespace {

BitImage inked(int width, int height) {
    BitImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setDot(x, y);
    return image;
}

// The dots of a picture as rows of '#' and '.'.
std::vector<std::string> rows(const BitImage& image) {
    std::vector<std::string> out;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x)
            row += image.dot(x, y) ? '#' : '.';
        out.push_back(row);
    }
    return out;
}

struct Page {
    std::string paint;
    std::vector<BitImage> images;
};

// A sheet of 850 by 1100 pixels whose printable area starts at (10, 20).
Page gather(const std::function<void(PdfPageImages&)>& draw) {
    PdfPageImages page;
    page.start(-10, -20, 840, 1080);
    draw(page);
    Page out;
    page.finish(out.paint, out.images);
    return out;
}

} // namespace

TEST(PdfPageImagesTest, PicturesOnOneGridShareAMaskAndDotsOffTheSheetAreLeftOut) {
    // A line drawn a column at a time (2 pixels a dot, 8 dots in 12 pixels), then a second
    // stripe under it in one piece, with a gap of one blank column.
    Page line = gather([](PdfPageImages& page) {
        BitImage column(1, 8);
        column.setDot(0, 0);
        column.setDot(0, 7);
        for (int x = 0; x < 40; x += 2)
            page.add(x, 100, x + 2, 112, column);
        page.add(42, 112, 62, 124, inked(10, 8));
    });
    ASSERT_EQ(line.images.size(), 1u);
    EXPECT_EQ(line.paint, "q 0 g 62 0 0 -24 0 124 cm /Im1 Do Q\n");
    const std::vector<std::string> dots = rows(line.images[0]);
    ASSERT_EQ(dots.size(), 16u);
    EXPECT_EQ(dots[0], std::string(20, '#') + std::string(11, '.'));
    EXPECT_EQ(dots[1], std::string(31, '.'));
    EXPECT_EQ(dots[7], std::string(20, '#') + std::string(11, '.'));
    EXPECT_EQ(dots[8], std::string(21, '.') + std::string(10, '#'));

    // Stripes of 8 dots in 67 pixels, stacked as 9-pin graphics at 1/72 inch on 600 dpi:
    // the dots of the second continue those of the first, though neither is whole pixels.
    Page stacked = gather([](PdfPageImages& page) {
        page.add(0, 0, 30, 67, inked(3, 8));
        page.add(0, 67, 30, 134, inked(3, 8));
    });
    ASSERT_EQ(stacked.images.size(), 1u);
    EXPECT_EQ(stacked.images[0].height(), 16);
    EXPECT_EQ(stacked.paint, "q 0 g 30 0 0 -134 0 134 cm /Im1 Do Q\n");

    // Wholly off the sheet: nothing. Across its right edge (840) and above its top (-20):
    // the dots that reach onto it.
    Page edges = gather([](PdfPageImages& page) {
        page.add(900, 100, 1000, 112, inked(50, 8));
        page.add(-500, -500, -400, -400, inked(50, 8));
        page.add(0, 5000, 10, 5008, inked(5, 8));
        page.add(800, 500, 900, 512, inked(50, 8));
        page.add(0, -32, 10, -8, inked(5, 8));
    });
    ASSERT_EQ(edges.images.size(), 2u);
    EXPECT_EQ(edges.paint, "q 0 g 40 0 0 -12 800 512 cm /Im1 Do Q\n"
                           "q 0 g 10 0 0 -12 0 -8 cm /Im2 Do Q\n");
    EXPECT_EQ(edges.images[0].width(), 20);
    EXPECT_EQ(edges.images[1].height(), 4);
}

TEST(PdfPageImagesTest, APageHoldsAFewMasksHoweverItsPicturesAreCut) {
    // Stripes a pixel apart, each on a grid of its own: after the first four they share
    // masks whose rows are device pixels, and every dot still lands where it was drawn.
    Page page = gather([](PdfPageImages& images) {
        for (int stripe = 0; stripe < 100; ++stripe) {
            BitImage dot(2, 8);
            dot.setDot(stripe % 2, 0);
            images.add(100, 10 * stripe, 120, 10 * stripe + 9, dot);
        }
    });
    EXPECT_EQ(page.images.size(), 5u);
    const std::regex paint(R"(q 0 g (\S+) 0 0 (\S+) (\S+) (\S+) cm /Im(\d+) Do Q)");
    int inkedRows = 0;
    for (std::sregex_iterator it(page.paint.begin(), page.paint.end(), paint), end; it != end;
         ++it) {
        const BitImage& mask = page.images[static_cast<std::size_t>(std::stoi((*it)[5])) - 1];
        const double left = std::stod((*it)[3]);
        const double bottom = std::stod((*it)[4]);
        const double top = bottom + std::stod((*it)[2]);
        const double dotWidth = std::stod((*it)[1]) / mask.width();
        const double dotHeight = (bottom - top) / mask.height();
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                if (!mask.dot(x, y))
                    continue;
                // The pixel under the dot's centre: the first row of a stripe, in the
                // column of its dot.
                const int pixelX = static_cast<int>(left + (x + 0.5) * dotWidth);
                const int pixelY = static_cast<int>(top + (y + 0.5) * dotHeight);
                const int stripe = pixelY / 10;
                EXPECT_EQ(pixelY % 10, 0) << pixelY;
                EXPECT_EQ(pixelX / 10, 10 + stripe % 2) << pixelX << "," << pixelY;
                inkedRows += x == 0 || !mask.dot(x - 1, y);
            }
        }
    }
    EXPECT_EQ(inkedRows, 100);
}
