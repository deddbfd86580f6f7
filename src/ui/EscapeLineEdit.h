#pragma once

#include <QLineEdit>

namespace marlet {

/// A line for a printer's byte string: the ESC key types DEL (127), which stands for ESC
/// until the text is stored, and a control key that gives a control byte (Ctrl+O gives 15)
/// types that byte. Only characters a stored sequence can hold are taken.
class EscapeLineEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit EscapeLineEdit(QWidget* parent = nullptr);

    /// Whether the key types a byte that a plain line would drop: ESC, or a control key
    /// that is not Backspace, Tab, Enter or an editing shortcut (select all, copy, paste,
    /// cut, undo, redo).
    static bool typesControlByte(const QKeyEvent& event);

signals:
    /// A key that gives a character (ESC, a control byte or a letter) was pressed in the line.
    void keyTyped();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    /// Out of typing, control bytes show as the grid shows them: ESC as a blue [#27].
    void paintEvent(QPaintEvent* event) override;
};

} // namespace marlet
