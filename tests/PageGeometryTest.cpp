#include "render/PageGeometry.h"
#include "base/Error.h"
#include "render/TraceDevice.h"
#include "support/FakeDevice.h"

#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace marlet;
using marlet::testing::FakeDevice;
using marlet::testing::messageOf;

namespace {

CanvasFont courier(int points, int dpi = 600) {
    return fontFromPoints("Courier New", points, {}, dpi);
}

} // namespace

TEST(PageGeometry, TenPointSampleGivesTwelveCpiBySixLpiWhateverTheFace) {
    FakeDevice printer;
    printer.dpiX = 300;
    printer.dpiY = 200;
    PageGeometry geometry(printer);
    EXPECT_EQ(geometry.setcell(10), 12);
    EXPECT_EQ(geometry.CellWidth, 25);
    EXPECT_EQ(geometry.LineHeight, 33); // 200 / 6 = 33.3
    EXPECT_EQ(geometry.FontHeight, 33);
}

TEST(PageGeometry, OtherSizesMeasureTheAtSignInTheCanvasFont) {
    FakeDevice printer;
    printer.setCanvasFont(courier(12)); // em 100: "@" is 60 by 113
    PageGeometry geometry(printer);
    EXPECT_EQ(geometry.setcell(12), 10);
    EXPECT_EQ(geometry.CellWidth, 60);
    EXPECT_EQ(geometry.LineHeight, 113);
    EXPECT_EQ(geometry.FontHeight, 113);
}

TEST(PageGeometry, SetpitchRoundsAfterDoublingAndCondensesOnlyPicaAndElite) {
    FakeDevice printer;
    printer.dpiX = 300;
    PageGeometry geometry(printer);
    geometry.FontHeight = 50;

    geometry.setpitch(17);
    EXPECT_EQ(geometry.CellWidth, 18); // 17.65
    geometry.DoubleWidth = true;
    geometry.setpitch(17);
    EXPECT_EQ(geometry.CellWidth, 35); // 35.29, not twice 18
    geometry.DoubleWidth = false;

    geometry.Condensed = true;
    geometry.setpitch(10);
    EXPECT_EQ(geometry.CellWidth, 17); // as 18 cpi: 16.67
    geometry.setpitch(12);
    EXPECT_EQ(geometry.CellWidth, 15); // as 20 cpi
    geometry.setpitch(17);
    EXPECT_EQ(geometry.CellWidth, 18); // unchanged pitch
    geometry.setpitch(15);
    EXPECT_EQ(geometry.CellWidth, 20);
}

TEST(PageGeometry, SetpitchMakesACellFillingFontWithTheCanvasStyle) {
    FakeDevice printer;
    std::ostringstream trace;
    TraceDevice traced(printer, trace);
    PageGeometry geometry(traced);
    geometry.FontHeight = 100;
    geometry.FontCharset = 204;
    CanvasFont bold = courier(10);
    bold.style = {true, true, false, true};
    traced.setCanvasFont(bold);
    geometry.setpitch(12);
    EXPECT_EQ(trace.str(), "font face=\"Courier New\" height=100 width=50 escapement=0 "
                           "orientation=0 weight=700 italic=1 underline=0 strikeout=1 "
                           "charset=204 out_precision=4 clip_precision=0 quality=2 "
                           "pitch_family=1\n");
    EXPECT_EQ(printer.canvasFont().width, 50);
    EXPECT_TRUE(printer.canvasFont().style.bold);
}

TEST(PageGeometry, CheckSizeGivesTheWorkedExample) {
    FakeDevice printer;
    PageGeometry geometry(printer);
    geometry.setcell(10);
    Margins margins = geometry.defaultMargins();
    EXPECT_EQ(margins.top, 4);
    EXPECT_EQ(margins.left, 4);
    PageFigures figures = geometry.checksize(courier(10), margins, Orientation::Portrait);
    EXPECT_EQ(geometry.OriginX, -6);
    EXPECT_EQ(geometry.OriginY, -6);
    EXPECT_EQ(figures.charsPerLine, 94);
    EXPECT_EQ(figures.linesPerPage, 67);
    EXPECT_TRUE(figures.monospace);
    EXPECT_EQ(printer.canvasFont(), courier(10));
}

TEST(PageGeometry, LandscapeExchangesThePortraitSheetWhateverTheDeviceOrientation) {
    FakeDevice printer;
    printer.sheet = {4960, 7016, 100, 150};
    PageGeometry geometry(printer);
    geometry.setcell(10);
    for (Orientation deviceOrientation : {Orientation::Portrait, Orientation::Landscape}) {
        printer.setOrientation(deviceOrientation);
        PageFigures figures = geometry.checksize(courier(10), {10, 20}, Orientation::Landscape);
        // Left offset from the sheet's top strip: R(20 / 25.4 * 600) - 150.
        EXPECT_EQ(geometry.OriginX, 472 - 150);
        EXPECT_EQ(geometry.OriginY, 236 - 100);
        EXPECT_EQ(figures.charsPerLine, 127); // R((7016 - 472.44 - 150) / 50) - 1
        EXPECT_EQ(figures.linesPerPage, 45);  // R((4960 - 236.22 - 100) / 100) - 1
    }
}

TEST(PageGeometry, MarginsInsideTheUnprintableStripGiveNegativeOrigins) {
    FakeDevice printer;
    printer.sheet = {4960, 7016, 300, 250};
    PageGeometry geometry(printer);
    geometry.setcell(10);
    geometry.checksize(courier(10), {0, 1}, Orientation::Portrait);
    EXPECT_EQ(geometry.OriginX, 24 - 300);
    EXPECT_EQ(geometry.OriginY, -250);
}

TEST(PageGeometry, ProportionalFaceFailsTheFixedPitchTest) {
    FakeDevice printer;
    printer.proportional = true;
    PageGeometry geometry(printer);
    geometry.setcell(10);
    EXPECT_FALSE(geometry.checksize(courier(10), {4, 4}, Orientation::Portrait).monospace);
}

TEST(PageGeometry, ValuesThatDoNotFitFailWithRangeCheckError) {
    FakeDevice printer;
    PageGeometry geometry(printer);
    geometry.setcell(10);
    geometry.FontHeight = 100;

    EXPECT_EQ(messageOf([&] { geometry.setpitch(0); }), "Range check error");
    EXPECT_EQ(geometry.CellWidth, 50);

    geometry.CellWidth = 0;
    geometry.OriginX = 7;
    EXPECT_EQ(messageOf([&] {
                  geometry.checksize(courier(10), {4, 4}, Orientation::Portrait);
              }),
              "Range check error");
    EXPECT_EQ(geometry.OriginX, 7);
    geometry.CellWidth = 50;
    geometry.LineHeight = 0;
    EXPECT_EQ(messageOf([&] {
                  geometry.checksize(courier(10), {4, 4}, Orientation::Portrait);
              }),
              "Range check error");

    // A 1-pixel "@" at 600 dpi gives pitch 600: the pitch fails before any cell field moves.
    geometry.LineHeight = 100;
    printer.setCanvasFont({"Tiny", 1, 1, {}, 1});
    EXPECT_EQ(messageOf([&] { geometry.setcell(12); }), "Range check error");
    EXPECT_EQ(geometry.LineHeight, 100);

    // A cell wider than 65535 pixels.
    printer.dpiX = 100000;
    EXPECT_EQ(messageOf([&] { geometry.setpitch(1); }), "Range check error");

    printer.dpiY = -600;
    EXPECT_EQ(messageOf([&] { geometry.setcell(10); }), "Range check error");
    printer.dpiY = 600;
    printer.sheet.offsetX = -1;
    EXPECT_EQ(messageOf([&] { geometry.defaultMargins(); }), "Range check error");
}
