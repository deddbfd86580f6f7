#include "EscapeLineEdit.h"

#include "SequenceCellDelegate.h"
#include "SequenceText.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>

namespace marlet {

namespace {

constexpr char16_t TypedEscape = 127;
const QColor ControlColor(0, 0, 255);
// QLineEdit's own gap between its frame and its text.
constexpr int TextMargin = 2;

/// Refuses text a stored sequence cannot hold, typed or pasted.
class SequenceValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override {
        for (QChar character : input) {
            if (!isSequenceCharacter(character))
                return Invalid;
        }
        return Acceptable;
    }
};

} // namespace

bool EscapeLineEdit::typesControlByte(const QKeyEvent& event) {
    // The editing shortcuts every line has keep their meaning; the other Ctrl+letters
    // type their control bytes.
    for (QKeySequence::StandardKey editing :
         {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Cut,
          QKeySequence::Undo, QKeySequence::Redo})
        if (event.matches(editing))
            return false;
    switch (event.key()) {
    case Qt::Key_Escape:
        return true;
    // These keep their editing meaning although their text is a control byte.
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return false;
    default:
        return event.text().size() == 1 && event.text()[0].unicode() < 32;
    }
}

EscapeLineEdit::EscapeLineEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new SequenceValidator(this));
}

void EscapeLineEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (typesControlByte(*event)) {
        // QLineEdit drops control characters; the printer wants them as they are.
        if (!isReadOnly())
            insert(event->key() == Qt::Key_Escape ? QString(QChar(TypedEscape)) : text);
        event->accept();
        emit keyTyped();
        return;
    }
    QLineEdit::keyPressEvent(event);
    if (!text.isEmpty())
        emit keyTyped();
}

void EscapeLineEdit::paintEvent(QPaintEvent* event) {
    const std::vector<SequencePiece> pieces = SequenceCellDelegate::pieces(text());
    if (hasFocus() || std::ranges::none_of(pieces, &SequencePiece::control)) {
        QLineEdit::paintEvent(event);
        return;
    }
    QStyleOptionFrame option;
    initStyleOption(&option);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    area.adjust(TextMargin, 0, -TextMargin, 0);
    painter.setClipRect(area);
    const QColor plain =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    int x = area.left();
    for (const SequencePiece& piece : pieces) {
        painter.setPen(piece.control ? ControlColor : plain);
        painter.drawText(QRect(x, area.top(), area.right() - x + 1, area.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, piece.text);
        x += fontMetrics().horizontalAdvance(piece.text);
    }
}

} // namespace marlet
