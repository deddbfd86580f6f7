// How the scheme grid draws: control bytes as blue [#NN], letters black or grey, and each
// switch's label in its own style.

#include "SequenceCellDelegate.h"
#include "SequenceGrid.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>

using namespace marlet;

namespace {

QColor colorAt(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

bool isBlue(QColor c) {
    return c.blue() > 200 && c.red() < 80 && c.green() < 80;
}

bool isDark(QColor c, int below) {
    return c.red() < below && c.green() < below && c.blue() < below && c.red() == c.blue();
}

// How many pixels of a strip of the image pass a test.
template <typename Test>
int countIn(const QImage& image, QRect strip, Test test) {
    int count = 0;
    for (int y = strip.top(); y <= strip.bottom(); ++y)
        for (int x = strip.left(); x <= strip.right(); ++x)
            count += test(colorAt(image, x, y)) ? 1 : 0;
    return count;
}

class SequenceCellDelegateTest : public ::testing::Test {
protected:
    SequenceCellDelegateTest() { QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8)); }
};

} // namespace

TEST_F(SequenceCellDelegateTest, ControlBytesBecomeBracketedCodesAndDelShowsAsEsc) {
    using Pieces = std::vector<SequencePiece>;
    EXPECT_EQ(SequenceCellDelegate::pieces(QStringLiteral("\x7f"
                                                          "B\x0f")),
              (Pieces{{QStringLiteral("[#27]"), true},
                      {QStringLiteral("B"), false},
                      {QStringLiteral("[#15]"), true}}));
    EXPECT_EQ(SequenceCellDelegate::pieces(QStringLiteral("\x1bЖ")),
              (Pieces{{QStringLiteral("[#27]"), true}, {QStringLiteral("Ж"), false}}));
    EXPECT_TRUE(SequenceCellDelegate::pieces(QString()).empty());

    const QFont plain = QApplication::font();
    EXPECT_TRUE(SequenceCellDelegate::labelFont(plain, 0).bold());
    EXPECT_TRUE(SequenceCellDelegate::labelFont(plain, 2).italic());
    EXPECT_TRUE(SequenceCellDelegate::labelFont(plain, 4).underline());
    EXPECT_TRUE(SequenceCellDelegate::labelFont(plain, 6).strikeOut());
    const QFont other = SequenceCellDelegate::labelFont(plain, 1);
    EXPECT_FALSE(other.bold() || other.italic() || other.underline() || other.strikeOut());
}

TEST_F(SequenceCellDelegateTest, ACellDrawsItsPiecesOneAfterAnotherFromTwoPixelsIn) {
    SequenceGrid grid;
    grid.resize(423, 200);
    grid.setSequence(0, QStringLiteral("\x7f"
                                       "B"));
    grid.setSequence(1, QStringLiteral("\x1b"
                                       "b"));
    grid.setEditingEnabled(true);
    grid.setCurrentCell(5, 0);
    QImage image = grid.viewport()->grab().toImage();

    const QFontMetrics metrics(QApplication::font());
    const int code = metrics.horizontalAdvance(QStringLiteral("[#27]"));
    const int letter = metrics.horizontalAdvance(QStringLiteral("B"));
    const QRect cell = grid.visualRect(grid.model()->index(0, 1));
    ASSERT_EQ(cell.left(), grid.columnWidth(0));
    ASSERT_EQ(cell.height(), 18);
    // Nothing in the two pixels before the text, blue up to the code's advance, then black.
    const QRect before(cell.left(), cell.top(), 2, cell.height() - 1);
    const QRect codeStrip(cell.left() + 2, cell.top(), code, cell.height() - 1);
    const QRect letterStrip(cell.left() + 2 + code, cell.top(), letter, cell.height() - 1);
    auto ink = [](QColor c) { return c != QColor(Qt::white); };
    EXPECT_EQ(countIn(image, before, ink), 0);
    EXPECT_GT(countIn(image, codeStrip, isBlue), 10);
    EXPECT_EQ(countIn(image, codeStrip, [](QColor c) { return isDark(c, 60); }), 0);
    EXPECT_GT(countIn(image, letterStrip, [](QColor c) { return isDark(c, 60); }), 5);
    EXPECT_EQ(countIn(image, letterStrip, isBlue), 0);
    // Nothing is drawn above the text's top two pixels.
    EXPECT_EQ(countIn(image, QRect(cell.left(), cell.top(), cell.width() - 1, 2), ink), 0);

    // Read-only cells keep their codes blue and show their letters grey (128, 128, 128).
    grid.setEditingEnabled(false);
    image = grid.viewport()->grab().toImage();
    EXPECT_GT(countIn(image, codeStrip, isBlue), 10);
    // Antialiased, so the darkest pixel of the letter is its grey.
    int darkest = 255;
    for (int y = letterStrip.top(); y <= letterStrip.bottom(); ++y)
        for (int x = letterStrip.left(); x <= letterStrip.right(); ++x)
            darkest = std::min(darkest, colorAt(image, x, y).red());
    EXPECT_GE(darkest, 128);
    EXPECT_LT(darkest, 170);

    // The label column is cleared in the fixed cells' colour, its text black.
    const QRect label = grid.visualRect(grid.model()->index(0, 0));
    EXPECT_EQ(colorAt(image, label.left() + 1, label.top() + 1),
              grid.palette().color(QPalette::Button));
    EXPECT_GT(countIn(image, label.adjusted(2, 2, -1, -1), [](QColor c) { return isDark(c, 60); }),
              10);
}
