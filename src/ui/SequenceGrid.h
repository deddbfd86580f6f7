#pragma once

#include <QTableWidget>

namespace marlet {

/// The scheme editor's grid: one row per scheme entry, its label in a fixed first column
/// (105 pixels, or as wide as the longest label needs) and its sequence in the second,
/// which takes the rest. Rows are 18 pixels high. Typing into the sequences is switched
/// per scheme.
class SequenceGrid final : public QTableWidget {
    Q_OBJECT
public:
    explicit SequenceGrid(QWidget* parent = nullptr);

    /// Lets the user type into the sequence cells, or makes them read-only.
    void setEditingEnabled(bool on);
    bool editingEnabled() const { return m_editing; }

    /// The text of a row's sequence cell, with DEL where ESC was typed.
    QString sequence(int row) const;
    /// Shows a text in a row's sequence cell; this is no edit of the user's.
    void setSequence(int row, const QString& text);
    /// Empties every sequence cell.
    void clearSequences();

signals:
    /// The user changed the text of a sequence cell.
    void sequenceEdited();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void dropTyping();

    bool m_editing = false;
};

} // namespace marlet
