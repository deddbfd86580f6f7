#include "platform/QtPageDevice.h"
#include "base/Error.h"
#include "devices/OutputFile.h"
#include "devices/QtDeviceSet.h"
#include "platform/CellFont.h"
#include "platform/PngPagesOutput.h"
#include "platform/SystemPrinterOutput.h"
#include "render/PageGeometry.h"
#include "render/PageImages.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "support/DeviceChecks.h"

#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using namespace marlet;
using marlet::testing::cellFontRequest;
using marlet::testing::expectVirtualSheetAndDocumentRules;
using marlet::testing::expectWindowsCellMetrics;
using marlet::testing::messageOf;

namespace {

// A small letter-size sheet at 100 dpi with unequal strips, so that landscape shows
// which strip goes where.
VirtualPaper smallPaper() {
    return {100, 850, 1100, 10, 20};
}

int gray(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y));
}

// Pages on a small picture; notes each document call the device makes of it.
class NotingOutput final : public PageOutput {
public:
    explicit NotingOutput(std::string& calls)
        : m_calls(calls), m_image(50, 50, QImage::Format_RGB32) {}

    int resolutionX() const override { return 100; }
    int resolutionY() const override { return 100; }
    PageSize pageSize(Orientation) const override { return {50, 50}; }
    PhysicalPage physicalPage() const override { return {50, 50, 0, 0}; }
    QPainter& beginDocument(const std::string&, Orientation) override {
        m_calls += "begin ";
        m_painter.begin(&m_image);
        return m_painter;
    }
    QPainter& newPage() override { return m_painter; }
    void endDocument() override {
        m_calls += "end ";
        m_painter.end();
    }
    void cancel() override {
        m_calls += "cancel ";
        m_painter.end();
    }

private:
    std::string& m_calls;
    QImage m_image;
    QPainter m_painter;
};

} // namespace

TEST(QtPageDeviceTest, ACancelledDocumentIsCancelledAtItsOutputAndNotEndedAfterwards) {
    struct Case {
        const char* name;
        void (PageDevice::*end)();
        std::string calls;
    };
    for (const Case& c : {Case{"cancel", &PageDevice::cancel, "begin cancel "},
                          Case{"close", &PageDevice::close, "begin end "}}) {
        std::string calls;
        {
            QtPageDevice device(std::make_unique<NotingOutput>(calls));
            (device.*c.end)();
            EXPECT_EQ(calls, "") << c.name << " without a document";
            device.beginDocument("DOS-console task");
            (device.*c.end)();
        }
        // A closed device's document is ended as the device goes; a cancelled one is not.
        EXPECT_EQ(calls, c.calls) << c.name;
    }
}

TEST(QtPageDeviceTest, CourierNewMetricsAreThoseOfGdi) {
    QTemporaryDir dir;
    QtDeviceSet qt;
    auto device = openOutputFile(dir.filePath("unused.png").toStdString(), VirtualPaper{}, &qt);

    CanvasFont plain{"Courier New", 0, 0, {}, 1};
    EXPECT_EQ(CellFont(plain, 100).resolvedFamily(), QStringLiteral("Liberation Mono"));

    expectWindowsCellMetrics(*device);
}

TEST(QtPageDeviceTest, VirtualDeviceValuesFollowThePaperAndOrientationWaitsForTheDocument) {
    QTemporaryDir dir;
    QtDeviceSet qt;
    auto device = openOutputFile(dir.filePath("unused.png").toStdString(), VirtualPaper{}, &qt);
    expectVirtualSheetAndDocumentRules(*device);
}

TEST(QtPageDeviceTest, PngPagesKeepGdiLinesAndFills) {
    QTemporaryDir dir;
    std::string path = dir.filePath("out.png").toStdString();
    {
        QtDeviceSet qt;
        auto device = openOutputFile(path, smallPaper(), &qt);
        device->beginDocument("DOS-console task");
        device->setPenWidth(0);
        device->moveTo(100, 50);
        device->lineTo(110, 50);
        device->moveTo(110, 70);
        device->lineTo(100, 70);
        device->moveTo(600, 0);
        device->lineTo(605, 5);
        device->setPenWidth(1);
        device->moveTo(30, 20);
        device->lineTo(30, 40);
        device->setPenWidth(5);
        device->moveTo(200, 100);
        device->lineTo(200, 140);
        device->fillRect(400, 400, 402, 402); // before any fill colour: black
        device->setFillColor(128, 128, 128);
        device->fillRect(300, 300, 320, 310);
        device->fillRect(350, 300, 350, 310); // empty
        device->pathText(500, 300, u'X');
        device->createFont(cellFontRequest(17, 8)); // 12 cpi, 6 lpi at 100 dpi
        device->textOut(500, 500, u'H');
        device->newPage();
        device->fillRect(0, 0, 1, 1);
        device->endDocument();

        device->setOrientation(Orientation::Landscape);
        device->beginDocument("DOS-console task");
        device->fillRect(0, 0, 1, 1);
        device->endDocument();
    }
    EXPECT_EQ(pageImageFileName("/tmp/a.b/out.png", 12), "/tmp/a.b/out-12.png");
    EXPECT_EQ(pageImageFileName("/tmp/a.b/out", 1), "/tmp/a.b/out-1");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    EXPECT_FALSE(QFile::exists(dir.filePath("out-4.png")));

    QImage first(dir.filePath("out-1.png"));
    ASSERT_EQ(first.size(), QSize(850, 1100));
    EXPECT_EQ(first.dotsPerMeterX(), 3937);
    const int ox = 10, oy = 20; // the printable area's corner on the sheet

    // Width 0: x = 100..109 on row 50, the end point left out.
    EXPECT_EQ(gray(first, ox + 99, oy + 50), 255);
    EXPECT_EQ(gray(first, ox + 100, oy + 50), 0);
    EXPECT_EQ(gray(first, ox + 109, oy + 50), 0);
    EXPECT_EQ(gray(first, ox + 110, oy + 50), 255);
    EXPECT_EQ(gray(first, ox + 105, oy + 49), 255);
    EXPECT_EQ(gray(first, ox + 105, oy + 51), 255);
    // Drawn leftwards, the end point is still the one left out.
    EXPECT_EQ(gray(first, ox + 100, oy + 70), 255);
    EXPECT_EQ(gray(first, ox + 101, oy + 70), 0);
    EXPECT_EQ(gray(first, ox + 110, oy + 70), 0);
    EXPECT_EQ(gray(first, ox + 111, oy + 70), 255);
    // A diagonal steps one pixel at a time and also stops short of its end.
    for (int step = 0; step < 5; ++step) {
        EXPECT_EQ(gray(first, ox + 600 + step, oy + step), 0);
        EXPECT_EQ(gray(first, ox + 601 + step, oy + step), 255);
    }
    EXPECT_EQ(gray(first, ox + 605, oy + 5), 255);
    // Width 1 is one pixel too: rows 20..39 of column 30.
    EXPECT_EQ(gray(first, ox + 30, oy + 19), 255);
    EXPECT_EQ(gray(first, ox + 30, oy + 20), 0);
    EXPECT_EQ(gray(first, ox + 30, oy + 39), 0);
    EXPECT_EQ(gray(first, ox + 30, oy + 40), 255);
    EXPECT_EQ(gray(first, ox + 29, oy + 30), 255);
    EXPECT_EQ(gray(first, ox + 31, oy + 30), 255);
    // Width 5 is centred (columns 198..202) with round ends reaching 2 pixels beyond.
    EXPECT_EQ(gray(first, ox + 197, oy + 120), 255);
    EXPECT_EQ(gray(first, ox + 198, oy + 120), 0);
    EXPECT_EQ(gray(first, ox + 202, oy + 120), 0);
    EXPECT_EQ(gray(first, ox + 203, oy + 120), 255);
    EXPECT_EQ(gray(first, ox + 200, oy + 97), 255);
    EXPECT_EQ(gray(first, ox + 200, oy + 98), 0);
    EXPECT_EQ(gray(first, ox + 200, oy + 142), 0);
    EXPECT_EQ(gray(first, ox + 200, oy + 143), 255);
    EXPECT_EQ(gray(first, ox + 198, oy + 98), 255); // the cap's corner is round
    // Fills: black before a colour is set; then exactly columns 300..319, rows 300..309.
    EXPECT_EQ(gray(first, ox + 400, oy + 400), 0);
    EXPECT_EQ(gray(first, ox + 401, oy + 401), 0);
    EXPECT_EQ(gray(first, ox + 402, oy + 401), 255);
    EXPECT_EQ(gray(first, ox + 401, oy + 402), 255);
    EXPECT_EQ(gray(first, ox + 300, oy + 300), 128);
    EXPECT_EQ(gray(first, ox + 319, oy + 309), 128);
    EXPECT_EQ(gray(first, ox + 299, oy + 305), 255);
    EXPECT_EQ(gray(first, ox + 320, oy + 305), 255);
    EXPECT_EQ(gray(first, ox + 310, oy + 299), 255);
    EXPECT_EQ(gray(first, ox + 310, oy + 310), 255);
    EXPECT_EQ(gray(first, ox + 350, oy + 305), 255);

    // Path text leaves the paper white; a glyph stays inside its 8 x 17 cell.
    int pathInk = 0, inside = 0, outside = 0;
    for (int y = oy + 280; y < oy + 340; ++y)
        for (int x = ox + 480; x < ox + 540; ++x)
            pathInk += gray(first, x, y) < 128;
    for (int y = oy + 490; y < oy + 530; ++y)
        for (int x = ox + 490; x < ox + 520; ++x) {
            bool inCell = x >= ox + 500 && x < ox + 508 && y >= oy + 500 && y < oy + 517;
            (inCell ? inside : outside) += gray(first, x, y) < 128;
        }
    EXPECT_EQ(pathInk, 0);
    EXPECT_GT(inside, 10);
    EXPECT_EQ(outside, 0);

    // The fill colour stays set across pages and documents, as a canvas brush does.
    QImage second(dir.filePath("out-2.png"));
    ASSERT_EQ(second.size(), QSize(850, 1100));
    EXPECT_EQ(gray(second, ox, oy), 128);
    EXPECT_EQ(gray(second, ox - 1, oy), 255);
    EXPECT_EQ(gray(second, ox, oy - 1), 255);

    // Landscape: the sheet on its side, the top strip now at the left.
    QImage third(dir.filePath("out-3.png"));
    ASSERT_EQ(third.size(), QSize(1100, 850));
    EXPECT_EQ(gray(third, oy, ox), 128);
    EXPECT_EQ(gray(third, oy - 1, ox), 255);
    EXPECT_EQ(gray(third, oy, ox - 1), 255);
}

TEST(QtPageDeviceTest, PicturesAreDrawnAtThePagesResolutionAndOnlyWhereThePageIs) {
    // The small sheet drawn at 25 dpi: a device pixel is a quarter of a page pixel.
    QTemporaryDir dir;
    std::string path = dir.filePath("out.png").toStdString();
    {
        QtDeviceSet qt;
        auto device = openOutputFile(path, smallPaper(), &qt, 25);
        device->beginDocument("DOS-console task");
        BitImage checker(2, 2);
        checker.setDot(0, 0);
        checker.setDot(1, 1);
        device->drawImage(100, 100, 300, 300, checker);
        // A picture two thousand million pixels tall (a PCL raster picture of blank rows
        // that never ends), a picture wholly off the sheet and one across its left edge.
        BitImage ink(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ink.setDot(x, y);
        device->drawImage(400, 500, 800, 2'000'000'000, ink);
        device->drawImage(-100'000, -100'000, -50'000, -50'000, ink);
        device->drawImage(-1000, 1000, 20, 1050, ink);
        device->endDocument();
    }
    QImage page(dir.filePath("out-1.png"));
    ASSERT_EQ(page.size(), QSize(213, 275));
    // The checker's dots are 50 page pixels, 12.5 of the image's, from (27.5, 30).
    EXPECT_EQ(gray(page, 28, 30), 0);
    EXPECT_EQ(gray(page, 52, 54), 0);
    EXPECT_EQ(gray(page, 53, 30), 255);
    EXPECT_EQ(gray(page, 28, 55), 255);
    EXPECT_EQ(gray(page, 53, 55), 0);
    EXPECT_EQ(gray(page, 77, 79), 0);
    EXPECT_EQ(gray(page, 78, 79), 255);
    EXPECT_EQ(gray(page, 77, 80), 255);
    // The tall picture fills the sheet from row 130 down, columns 103 to 202.
    EXPECT_EQ(gray(page, 150, 129), 255);
    EXPECT_EQ(gray(page, 103, 130), 0);
    EXPECT_EQ(gray(page, 202, 274), 0);
    EXPECT_EQ(gray(page, 102, 200), 255);
    EXPECT_EQ(gray(page, 203, 200), 255);
    // Across the left edge: columns 0 to 7, rows 255 to 267.
    EXPECT_EQ(gray(page, 0, 255), 0);
    EXPECT_EQ(gray(page, 7, 267), 0);
    EXPECT_EQ(gray(page, 8, 260), 255);
    EXPECT_EQ(gray(page, 0, 254), 255);
}

TEST(QtPageDeviceTest, UnknownSystemPrinterIsRefused) {
    EXPECT_EQ(messageOf([] { SystemPrinterOutput("no such queue"); }),
              "Printer selected is not valid");
}
