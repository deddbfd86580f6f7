#include "SequenceGrid.h"

#include "EscapeLineEdit.h"
#include "SequenceCellDelegate.h"
#include "config/SchemeEntry.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace marlet {

namespace {

constexpr int LabelWidth = 105;
constexpr int RowHeight = 18;
// A section takes its grid line out of its own size; the sizes above are the cells' own.
constexpr int GridLine = 1;

} // namespace

SequenceGrid::SequenceGrid(QWidget* parent)
    : QTableWidget(static_cast<int>(SchemeEntryCount), 2, parent) {
    setItemDelegate(new SequenceCellDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(RowHeight + GridLine);
    verticalHeader()->setDefaultSectionSize(RowHeight + GridLine);
    // The sequences take what the labels leave; a sequence is at most 30 bytes, while a
    // cut label would hide which switch a row is for.
    horizontalHeader()->setStretchLastSection(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setShowGrid(true);
    // Tab goes on to the next control, not through forty cells.
    setTabKeyNavigation(false);

    int labelWidth = LabelWidth;
    for (SchemeEntry entry : schemeEntries()) {
        const int row = static_cast<int>(entry);
        const QString text = QString::fromLatin1(schemeEntryLabel(entry));
        const QFontMetrics metrics(SequenceCellDelegate::labelFont(font(), row));
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(text) +
                                              2 * SequenceCellDelegate::TextInset);
        auto* label = new QTableWidgetItem(text);
        label->setFlags(Qt::ItemIsEnabled);
        setItem(row, SequenceCellDelegate::LabelColumn, label);
        setItem(row, SequenceCellDelegate::SequenceColumn, new QTableWidgetItem);
    }
    setColumnWidth(SequenceCellDelegate::LabelColumn, labelWidth + GridLine);
    setEditingEnabled(false);
    setCurrentCell(0, SequenceCellDelegate::SequenceColumn);
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* changed) {
        if (changed->column() == SequenceCellDelegate::SequenceColumn)
            emit sequenceEdited();
    });
}

void SequenceGrid::setEditingEnabled(bool on) {
    dropTyping();
    m_editing = on;
    const QSignalBlocker quiet(this);
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    for (int row = 0; row < rowCount(); ++row)
        item(row, SequenceCellDelegate::SequenceColumn)
            ->setFlags(on ? flags | Qt::ItemIsEditable : flags);
    viewport()->update();
}

QString SequenceGrid::sequence(int row) const {
    return item(row, SequenceCellDelegate::SequenceColumn)->text();
}

void SequenceGrid::setSequence(int row, const QString& text) {
    const QSignalBlocker quiet(this);
    item(row, SequenceCellDelegate::SequenceColumn)->setText(text);
}

void SequenceGrid::clearSequences() {
    dropTyping();
    for (int row = 0; row < rowCount(); ++row)
        setSequence(row, QString());
}

void SequenceGrid::dropTyping() {
    // A cell editor left open would write its text over the scheme shown next.
    if (QWidget* editor = indexWidget(currentIndex()); editor && state() == EditingState)
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void SequenceGrid::keyPressEvent(QKeyEvent* event) {
    // Out of typing, ESC closes the dialog as in any other; control keys start typing into
    // a cell as a letter does, where the view alone would ignore Ctrl+letters. Inside a
    // cell ESC types the byte.
    if (event->key() == Qt::Key_Escape && state() != EditingState) {
        event->ignore();
        return;
    }
    if (state() != EditingState && EscapeLineEdit::typesControlByte(*event)) {
        edit(currentIndex(), AnyKeyPressed, event);
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

} // namespace marlet
