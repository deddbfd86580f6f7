#include "render/BoxRenderer.h"
#include "render/TraceDevice.h"
#include "support/FakeDevice.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

using namespace marlet;
using marlet::testing::FakeDevice;

namespace {

struct Drawn {
    std::string trace;
    std::uint16_t code;
};

Drawn draw(std::uint16_t code, std::int32_t x, std::int32_t y, std::uint16_t w, std::uint16_t h) {
    FakeDevice printer;
    std::ostringstream trace;
    TraceDevice traced(printer, trace);
    BoxRenderer(traced).drawFigure(x, y, code, w, h);
    return {trace.str(), code};
}

} // namespace

TEST(BoxRenderer, WorkedExampleAtTwelveCpiAndSixLpi) {
    // W=50, H=100 at (1000, 2000): gap 6, pen 5, X1 1022, XL 1016, XR 1034, Y1 2047,
    // YT 2041, YB 2059.
    EXPECT_EQ(draw(0xC5, 1000, 2000, 50, 100).trace, "pen_width 5\n"
                                                     "move_to 1000 2047\nline_to 1050 2047\n"
                                                     "move_to 1022 2000\nline_to 1022 2100\n");
    EXPECT_EQ(draw(0xCE, 1000, 2000, 50, 100).trace, "pen_width 5\n"
                                                     "move_to 1000 2041\nline_to 1016 2041\n"
                                                     "line_to 1016 1999\n"
                                                     "move_to 1000 2059\nline_to 1016 2059\n"
                                                     "line_to 1016 2100\n"
                                                     "move_to 1034 2100\nline_to 1034 2059\n"
                                                     "line_to 1050 2059\n"
                                                     "move_to 1034 2000\nline_to 1034 2041\n"
                                                     "line_to 1050 2041\n");
    EXPECT_EQ(draw(0xB5, 1000, 2000, 50, 100).trace, "pen_width 5\n"
                                                     "move_to 1022 2000\nline_to 1022 2100\n"
                                                     "move_to 1022 2041\nline_to 999 2041\n"
                                                     "move_to 1022 2059\nline_to 999 2059\n");
}

TEST(BoxRenderer, TiesRoundToEvenSoTheCellPositionDecides) {
    // W=24, H=48: gap 3. At x=100 the centre lines are ties that fall to even numbers.
    EXPECT_EQ(draw(0xB3, 100, 0, 24, 48).trace, "pen_width 2\nmove_to 110 0\nline_to 110 48\n");
    EXPECT_EQ(draw(0xB3, 101, 0, 24, 48).trace, "pen_width 2\nmove_to 112 0\nline_to 112 48\n");
    EXPECT_EQ(draw(0xBA, 100, 0, 24, 48).trace,
              "pen_width 2\nmove_to 108 0\nline_to 108 48\nmove_to 116 0\nline_to 116 48\n");
    // Left of the origin the ties still fall to even numbers: R(-90.5) = -90.
    EXPECT_EQ(draw(0xB3, -101, 0, 24, 48).trace, "pen_width 2\nmove_to -90 0\nline_to -90 48\n");
    EXPECT_EQ(draw(0xB3, -100, 0, 24, 48).trace, "pen_width 2\nmove_to -90 0\nline_to -90 48\n");
    EXPECT_EQ(draw(0xBA, 101, 0, 24, 48).trace,
              "pen_width 2\nmove_to 108 0\nline_to 108 48\nmove_to 118 0\nline_to 118 48\n");
}

TEST(BoxRenderer, OneRendererDrawsCellsOfEitherParityAndAnySizeInTurn) {
    // A renderer keeps a cell's offsets between figures: they must follow each corner's
    // parity and each change of size.
    FakeDevice printer;
    std::ostringstream trace;
    TraceDevice traced(printer, trace);
    BoxRenderer boxes(traced);
    std::string expected;
    for (auto [x, y, w, h] : {std::array<int, 4>{100, 0, 24, 48},
                              {101, 1, 24, 48},
                              {-101, -1, 24, 48},
                              {1000, 2000, 50, 100},
                              {101, 1, 24, 48}}) {
        std::uint16_t code = 0xCE;
        boxes.drawFigure(x, y, code, static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h));
        expected +=
            draw(0xCE, x, y, static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h)).trace;
    }
    EXPECT_EQ(trace.str(), expected);
    EXPECT_NE(expected.find("move_to 1034 2000\nline_to 1034 2041\n"), std::string::npos);
}

TEST(BoxRenderer, SmallCellsCollapseDoubleLinesAndUseTheThinnestPen) {
    // H below 16: no gap, both lines of a double stroke on the centre; W below 10: pen 0.
    EXPECT_EQ(draw(0xCD, 0, 0, 8, 15).trace,
              "pen_width 0\nmove_to 0 8\nline_to 8 8\nmove_to 0 8\nline_to 8 8\n");
}

TEST(BoxRenderer, ShadesSetTheirColourAndBlocksAreBlack) {
    EXPECT_EQ(draw(0xB0, 10, 20, 50, 100).trace,
              "pen_width 5\nfill_color 128 128 128\nfill_rect 10 20 60 120\n");
    EXPECT_EQ(draw(0xB1, 10, 20, 50, 100).trace,
              "pen_width 5\nfill_color 128 128 128\nfill_rect 10 20 60 120\n");
    EXPECT_EQ(draw(0xB2, 10, 20, 50, 100).trace,
              "pen_width 5\nfill_color 192 192 192\nfill_rect 10 20 60 120\n");
    const std::string black = "fill_color 0 0 0\n";
    EXPECT_EQ(draw(0xDB, 10, 20, 50, 100).trace,
              "pen_width 5\n" + black + "fill_rect 10 20 60 120\n");
    // Half sizes do not depend on the cell position: 12.5 rounds to 12, 13.5 to 14.
    EXPECT_EQ(draw(0xDC, 7, 100, 50, 25).trace,
              "pen_width 5\n" + black + "fill_rect 7 112 57 125\n");
    EXPECT_EQ(draw(0xDC, 7, 100, 50, 27).trace,
              "pen_width 5\n" + black + "fill_rect 7 114 57 127\n");
    EXPECT_EQ(draw(0xDD, 7, 100, 25, 27).trace,
              "pen_width 2\n" + black + "fill_rect 7 100 19 127\n");
    EXPECT_EQ(draw(0xDE, 7, 100, 25, 27).trace,
              "pen_width 2\n" + black + "fill_rect 19 100 32 127\n");
    EXPECT_EQ(draw(0xDF, 7, 100, 50, 27).trace,
              "pen_width 5\n" + black + "fill_rect 7 100 57 114\n");

    // A block after a shade on the same canvas is black all the same; the shade after it
    // sets its gray again.
    FakeDevice printer;
    std::ostringstream trace;
    TraceDevice traced(printer, trace);
    BoxRenderer boxes(traced);
    for (std::uint16_t code : {0xB2, 0xDB, 0xB0}) {
        std::uint16_t figure = code;
        boxes.drawFigure(0, 0, figure, 50, 100);
    }
    EXPECT_EQ(trace.str(), "pen_width 5\nfill_color 192 192 192\nfill_rect 0 0 50 100\n"
                           "pen_width 5\nfill_color 0 0 0\nfill_rect 0 0 50 100\n"
                           "pen_width 5\nfill_color 128 128 128\nfill_rect 0 0 50 100\n");
}

TEST(BoxRenderer, EveryCodeComesBackAsASpaceAndOnlyFiguresDraw) {
    for (std::uint16_t code : {0xAF, 0xE0, 0x41, 0x2550}) {
        Drawn drawn = draw(code, 0, 0, 50, 100);
        EXPECT_EQ(drawn.trace, "pen_width 5\n") << code;
        EXPECT_EQ(drawn.code, 0x20) << code;
    }
    for (std::uint16_t code = 0xB0; code <= 0xDF; ++code) {
        Drawn drawn = draw(code, 0, 0, 50, 100);
        EXPECT_EQ(drawn.code, 0x20) << code;
        EXPECT_NE(drawn.trace, "pen_width 5\n") << code;
    }
}

TEST(BoxRenderer, FramePiecesMeetOnTheDoubleLines) {
    // ╔ at (0,0) and ═ at (50,0) and ║ below it: the corner's strokes end where the
    // neighbours' strokes begin.
    EXPECT_EQ(draw(0xC9, 0, 0, 50, 100).trace, "pen_width 5\n"
                                               "move_to 34 100\nline_to 34 59\nline_to 50 59\n"
                                               "move_to 16 100\nline_to 16 41\nline_to 50 41\n");
    EXPECT_EQ(draw(0xCD, 50, 0, 50, 100).trace,
              "pen_width 5\nmove_to 50 41\nline_to 100 41\nmove_to 50 59\nline_to 100 59\n");
    EXPECT_EQ(draw(0xBA, 0, 100, 50, 100).trace,
              "pen_width 5\nmove_to 16 100\nline_to 16 200\nmove_to 34 100\nline_to 34 200\n");
}
