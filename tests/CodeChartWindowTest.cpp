// The "ASCII Chart" window offscreen: its size from the screen, the kept picture, and the
// shipped chart file drawn through the shipped code pages.

#include "CodeChartWindow.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QImage>

#include <QKeyEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

using namespace marlet;
namespace fs = std::filesystem;

namespace {

CodePageTable codePage(const std::string& name) {
    CodePageTable table;
    table.load(name + ".cp");
    return table;
}

QImage image(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

bool hasInk(const QImage& chart, QRect cell, QRgb background) {
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (chart.pixel(x, y) != background)
                return true;
    return false;
}

/// The rows and the columns of a cell that hold ink, counted from its corner.
struct Strokes {
    std::set<int> rows;
    std::set<int> columns;
    int inked = 0;
};

Strokes strokes(const QImage& chart, QRect cell, QRgb background) {
    Strokes found;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            if (chart.pixel(x, y) != background) {
                found.rows.insert(y - cell.top());
                found.columns.insert(x - cell.left());
                ++found.inked;
            }
        }
    }
    return found;
}

std::set<int> span(int first, int last) {
    std::set<int> all;
    for (int i = first; i <= last; ++i)
        all.insert(i);
    return all;
}

void saveScreenshot(QWidget& window, const QString& name) {
    QString folder = QStringLiteral(MARLET_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(window.grab().save(folder + "/" + name));
}

// Runs in the shipped data folder, as the programs do.
class CodeChartWindowTest : public ::testing::Test {
protected:
    CodeChartWindowTest() : m_previous(fs::current_path()) { fs::current_path(MARLET_DATA_DIR); }
    ~CodeChartWindowTest() override { fs::current_path(m_previous); }

    QRgb background() const { return window.palette().color(QPalette::Button).rgb(); }

    CodeChartWindow window;

private:
    fs::path m_previous;
};

} // namespace

TEST_F(CodeChartWindowTest, TheScreenSetsTheCellAndTheWindowSize) {
    CodePageTable table = codePage("866");
    EXPECT_TRUE(window.isHidden()) << "hidden until the first run";
    window.run(table, "Courier New", QSize(1024, 768));
    EXPECT_EQ(window.cell(), (ChartCell{19, 30}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.frameGeometry().size(), QSize(627, 510));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ASCII Chart"));

    window.run(table, "Courier New", QSize(800, 600));
    EXPECT_EQ(window.cell(), (ChartCell{15, 23}));
    EXPECT_EQ(window.frameGeometry().size(), QSize(495, 391));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &escape);
    EXPECT_FALSE(window.isVisible()) << "Esc closes the chart";
}

TEST_F(CodeChartWindowTest, EveryByteFromThirtyTwoUpShowsAGlyphInItsCell) {
    // The file lays byte b out at row b / 16 and column b % 16, a blank before each byte.
    for (const char* name : {"866", "437"}) {
        SCOPED_TRACE(name);
        CodeChartWindow chart;
        CodePageTable table = codePage(name);
        chart.run(table, "Courier New", QSize(1024, 768));
        saveScreenshot(chart, QStringLiteral("chart-cp%1.png").arg(name));
        QImage drawn = image(chart.chart());
        QRgb paper = chart.palette().color(QPalette::Button).rgb();
        ChartCell cell = chart.cell();
        for (int byte = 33; byte < 256; ++byte) {
            QRect box((2 * (byte % 16) + 1) * cell.width, byte / 16 * cell.height, cell.width,
                      cell.height);
            // 0xFF is the no-break space in both tables: no face has ink for it.
            bool blank = byte == 0xFF;
            EXPECT_EQ(hasInk(drawn, box, paper), !blank) << "byte " << byte;
        }
        EXPECT_FALSE(hasInk(drawn, QRect(0, 0, drawn.width(), 2 * cell.height), paper))
            << "control bytes draw nothing";
    }
}

TEST_F(CodeChartWindowTest, WhatWasDrawnComesBackAfterTheWindowWasCoveredAndRunsDrawOverIt) {
    CodePageTable cp866 = codePage("866");
    window.run(cp866, "Courier New", QSize(1024, 768));
    QImage first = image(window.chart());
    window.hide();
    window.show();
    EXPECT_EQ(image(window.grab()), first) << "painted again from the kept picture";

    CodePageTable cp437 = codePage("437");
    window.run(cp437, "Courier New", QSize(1024, 768));
    QImage both = image(window.chart());
    CodeChartWindow fresh;
    fresh.run(cp437, "Courier New", QSize(1024, 768));
    EXPECT_NE(both, image(fresh.chart())) << "the first run's glyphs are still there";
    for (int y = 0; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            if (first.pixel(x, y) != background()) {
                ASSERT_NE(both.pixel(x, y), background()) << x << "," << y;
            }
        }
    }
}

TEST_F(CodeChartWindowTest, AMissingChartFileDoesNothingAndAnEmptyOneShowsAnEmptyWindow) {
    TempFolder folder;
    fs::current_path(folder.file(""));
    CodePageTable table = codePage(MARLET_DATA_DIR "/866");
    window.run(table, "Courier New", QSize(1024, 768));
    EXPECT_TRUE(window.isHidden());

    std::ofstream(folder.file("ASCII.TBL")).close();
    window.run(table, "Courier New", QSize(1024, 768));
    EXPECT_TRUE(window.isVisible());
    QImage empty(window.chart().size(), QImage::Format_RGB32);
    empty.fill(background());
    EXPECT_EQ(image(window.chart()), empty);
}

TEST_F(CodeChartWindowTest, BoxDrawingRowsAreDrawnAsPagesPrintThemAndLineUp) {
    CodePageTable table = codePage("866");
    window.run(table, "Courier New", QSize(1024, 768));
    const QImage chart = image(window.chart());
    const ChartCell cell = window.cell();
    ASSERT_EQ(cell, (ChartCell{19, 30}));
    auto cellOf = [&](int byte) {
        return QRect((2 * (byte % 16) + 1) * cell.width, byte / 16 * cell.height, cell.width,
                     cell.height);
    };
    auto inCell = [&](int byte) { return strokes(chart, cellOf(byte), background()); };

    // A pen of a tenth of the 19-pixel cell is one pixel: single lines are one pixel thick
    // through the middle and run from edge to edge.
    const Strokes across = inCell(0xC4);
    EXPECT_EQ(across.rows, std::set<int>{14}) << "─";
    EXPECT_EQ(across.columns, span(0, 18)) << "─";
    EXPECT_EQ(across.inked, 19);
    const Strokes down = inCell(0xB3);
    EXPECT_EQ(down.columns, std::set<int>{9}) << "│";
    EXPECT_EQ(down.rows, span(0, 29)) << "│";
    EXPECT_EQ(down.inked, 30);
    const Strokes doubled = inCell(0xCD);
    EXPECT_EQ(doubled.rows, (std::set<int>{14, 16})) << "═";
    EXPECT_EQ(doubled.inked, 2 * 19);

    // The figures of one row put their strokes on the same pixels: ┴ ┬ ├ ─ ┼ share the
    // line of ─, and ├ under │ carries its line on down without a gap or a step.
    for (int byte : {0xC1, 0xC2, 0xC3, 0xC5, 0xB4, 0xBF, 0xC0, 0xD9, 0xDA}) {
        const QRect box = cellOf(byte);
        const int y = box.top() + 14;
        EXPECT_NE(chart.pixel(box.center().x(), y), background()) << std::hex << byte;
        for (int x = box.left(); x <= box.right(); ++x) {
            const bool inked = chart.pixel(x, y) != background();
            const bool expected =
                (byte == 0xC3 || byte == 0xC0 || byte == 0xDA)   ? x >= box.left() + 9
                : (byte == 0xB4 || byte == 0xBF || byte == 0xD9) ? x <= box.left() + 9
                                                                 : true;
            EXPECT_EQ(inked, expected)
                << std::hex << byte << std::dec << " at x " << x - box.left();
        }
    }
    const int column = cellOf(0xB3).left() + 9;
    for (int y = cellOf(0xB3).top(); y <= cellOf(0xC3).bottom(); ++y)
        EXPECT_NE(chart.pixel(column, y), background()) << "│ over ├ at y " << y;

    // Blocks are solid ink over their part of the cell; DEL is no box.
    EXPECT_EQ(inCell(0xDB).inked, 19 * 30) << "█";
    // ▄ lies under ╠, whose strokes start on the first pixel of the cell below as a page
    // prints them; below that row it is ink from the middle down.
    const QRect lower = cellOf(0xDC).adjusted(0, 1, 0, 0);
    EXPECT_EQ(strokes(chart, lower, background()).rows, span(14, 28)) << "▄";
    EXPECT_EQ(strokes(chart, lower, background()).inked, 19 * 15) << "▄";
    const Strokes house = inCell(0x7F);
    EXPECT_LT(house.inked, 19 * 30 / 4) << "⌂ is a thin outline";
    EXPECT_LT(house.rows.size(), 25u);
}
