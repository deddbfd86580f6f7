// The scheme grid: twenty labelled rows, read-only or typed into, ESC typed as DEL.

#include "SequenceGrid.h"
#include "EscapeLineEdit.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace marlet;

namespace {

void press(QWidget* widget, int key, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &event);
}

} // namespace

TEST(SequenceGridTest, TwentyRowsInTheEntryOrderWithFixedSizes) {
    QApplication::setFont(QFont("DejaVu Sans", 8));
    SequenceGrid grid;
    ASSERT_EQ(grid.rowCount(), 20);
    ASSERT_EQ(grid.columnCount(), 2);
    EXPECT_EQ(grid.item(0, 0)->text(), "Bold");
    EXPECT_EQ(grid.item(14, 0)->text(), "Cond. Pica (17 CPI)");
    EXPECT_EQ(grid.item(19, 0)->text(), "LPI 00");
    // The cells' own sizes, grid lines not counted; the labels' column is at least 105
    // pixels and as wide as its longest label needs, the sequences take the rest.
    grid.resize(423, 300);
    const int label = grid.columnWidth(0) - 1;
    EXPECT_GE(label, 105);
    for (int row = 0; row < 20; ++row) {
        EXPECT_EQ(grid.visualRect(grid.model()->index(row, 0)).size(), QSize(label, 18)) << row;
        EXPECT_EQ(grid.visualRect(grid.model()->index(row, 1)).height(), 18) << row;
    }
    EXPECT_EQ(grid.horizontalHeader()->length(), grid.viewport()->width());
    EXPECT_FALSE(grid.item(3, 0)->flags() & Qt::ItemIsEditable);
}

TEST(SequenceGridTest, EscLeavesTheGridToTheDialogAndTypesDelInACell) {
    SequenceGrid grid;
    grid.show();
    int edits = 0;
    QObject::connect(&grid, &SequenceGrid::sequenceEdited, [&] { ++edits; });
    grid.setSequence(0, QStringLiteral("\x1b"
                                       "E"));
    EXPECT_EQ(edits, 0);

    // Read-only: ESC is taken by the grid and changes nothing.
    grid.setCurrentCell(0, 1);
    press(&grid, Qt::Key_Escape, QStringLiteral("\x1b"));
    EXPECT_EQ(grid.findChild<EscapeLineEdit*>(), nullptr);
    EXPECT_EQ(grid.sequence(0), QStringLiteral("\x1b"
                                               "E"));

    grid.setEditingEnabled(true);
    // Out of typing ESC is left to the dialog, which closes; a control key starts typing.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QApplication::sendEvent(&grid, &escape);
    EXPECT_FALSE(escape.isAccepted());
    EXPECT_EQ(grid.findChild<EscapeLineEdit*>(), nullptr);
    EXPECT_FALSE(grid.tabKeyNavigation()) << "Tab leaves the grid";
    press(&grid, Qt::Key_F2, QString());
    auto* editor = qobject_cast<EscapeLineEdit*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    press(editor, Qt::Key_Escape, QStringLiteral("\x1b"));
    press(editor, Qt::Key_B, QStringLiteral("B"));
    // The typing replaced the cell's text and reached the cell at each key.
    EXPECT_EQ(grid.sequence(0), QStringLiteral("\x7f"
                                               "B"));
    EXPECT_EQ(edits, 2);
    press(editor, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(grid.sequence(0), QStringLiteral("\x7f"
                                               "B"));

    grid.clearSequences();
    EXPECT_EQ(grid.sequence(0), QString());
    EXPECT_EQ(edits, 2);
}
