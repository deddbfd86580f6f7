#pragma once

#include "render/PageDevice.h"
#include "render/PageGeometry.h"

#include "support/MessageOf.h"

#include <gtest/gtest.h>

namespace marlet::testing {

/// A Courier New cell font as setpitch makes it.
inline FontRequest cellFontRequest(int height, int width) {
    FontRequest request;
    request.height = height;
    request.width = width;
    request.face = "Courier New";
    request.charset = 204;
    return request;
}

/// What every back end must measure as a Windows printer driver does, at 600 dpi.
inline void expectWindowsCellMetrics(PageDevice& device) {
    // 10 points: the sample font of the fonts page is monospaced.
    device.setCanvasFont(fontFromPoints("Courier New", 10, {}, 600));
    EXPECT_EQ(device.canvasFont().height, -83);
    EXPECT_EQ(device.textExtent(u"!").width, 50);
    EXPECT_EQ(device.textExtent(u"W").width, 50);

    // 12 points: 1229/2048 em wide; winAscent 1705 + winDescent 615 over 2048 em high.
    device.setCanvasFont(fontFromPoints("Courier New", 12, {}, 600));
    EXPECT_EQ(device.canvasFont().height, -100);
    EXPECT_EQ(device.textExtent(u"@").width, 60);
    EXPECT_EQ(device.textExtent(u"@").height, 113);
    device.setCanvasFont(fontFromPoints("Courier New", 12, {true, true, false, false}, 600));
    EXPECT_EQ(device.textExtent(u"@").width, 60);
    EXPECT_EQ(device.textExtent(u"@").height, 113);

    // A cell font of 12 cpi by 6 lpi fills its cell whatever the face's proportions.
    FontRequest pitch = cellFontRequest(100, 50);
    pitch.weight = 700;
    pitch.underline = true;
    device.createFont(pitch);
    CanvasFont made = device.canvasFont();
    EXPECT_EQ(made.face, "Courier New");
    EXPECT_EQ(made.height, 100);
    EXPECT_EQ(made.width, 50);
    EXPECT_EQ(made.style, (FontStyle{true, false, true, false}));
    EXPECT_EQ(made.charset, 204);
    EXPECT_EQ(device.textExtent(u"@").width, 50);
    EXPECT_EQ(device.textExtent(u"@").height, 100);
    EXPECT_EQ(device.textExtent(u"Привет").width, 300);
    EXPECT_EQ(device.textExtent(u"").width, 0);
}

/// The virtual A4 sheet at 600 dpi with 100-pixel strips, in both orientations; the
/// orientation cannot change while a document is open.
inline void expectVirtualSheetAndDocumentRules(PageDevice& device) {
    EXPECT_EQ(device.resolutionX(), 600);
    EXPECT_EQ(device.resolutionY(), 600);
    PhysicalPage sheet = device.physicalPage();
    EXPECT_EQ(sheet.width, 4960);
    EXPECT_EQ(sheet.height, 7016);
    EXPECT_EQ(sheet.offsetX, 100);
    EXPECT_EQ(sheet.offsetY, 100);
    EXPECT_EQ(device.pageSize().width, 4760);
    EXPECT_EQ(device.pageSize().height, 6816);

    device.beginDocument("DOS-console task");
    EXPECT_TRUE(device.documentOpen());
    EXPECT_EQ(messageOf([&] { device.setOrientation(Orientation::Landscape); }),
              "Printing in progress");
    EXPECT_EQ(messageOf([&] { device.beginDocument("again"); }), "Printing in progress");
    EXPECT_EQ(device.orientation(), Orientation::Portrait);
    device.endDocument();
    EXPECT_FALSE(device.documentOpen());

    device.setOrientation(Orientation::Landscape);
    EXPECT_EQ(device.orientation(), Orientation::Landscape);
    EXPECT_EQ(device.pageSize().width, 6816);
    EXPECT_EQ(device.pageSize().height, 4760);
    EXPECT_EQ(device.physicalPage().width, 4960);
}

} // namespace marlet::testing
