#include "EscapeLineEdit.h"

#include "SequenceText.h"

#include <QKeyEvent>
#include <QValidator>

namespace marlet {

namespace {

constexpr char16_t TypedEscape = 127;

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

} // namespace marlet
