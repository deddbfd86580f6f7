#include "SequenceCellDelegate.h"

#include "EscapeLineEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

namespace marlet {

namespace {

const QColor ControlColor(0, 0, 255);
const QColor TextColor(0, 0, 0);
const QColor OffColor(128, 128, 128);
constexpr int Inset = SequenceCellDelegate::TextInset;
constexpr char16_t TypedEscape = 127;
constexpr char16_t Escape = 27;

constexpr int TopLeft = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

} // namespace

std::vector<SequencePiece> SequenceCellDelegate::pieces(const QString& text) {
    std::vector<SequencePiece> result;
    for (QChar character : text) {
        char16_t code = character.unicode() == TypedEscape ? Escape : character.unicode();
        if (code < 32)
            result.push_back({QStringLiteral("[#%1]").arg(code), true});
        else
            result.push_back({QString(QChar(code)), false});
    }
    return result;
}

QFont SequenceCellDelegate::labelFont(QFont font, int row) {
    font.setBold(row == 0);
    font.setItalic(row == 2);
    font.setUnderline(row == 4);
    font.setStrikeOut(row == 6);
    return font;
}

void SequenceCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    painter->save();
    painter->setClipRect(option.rect);
    if (index.column() == LabelColumn)
        paintLabel(painter, option, index);
    else
        paintSequence(painter, option, index);
    painter->restore();
}

void SequenceCellDelegate::paintLabel(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    const bool enabled = option.state & QStyle::State_Enabled;
    painter->fillRect(option.rect, option.palette.color(QPalette::Button));
    painter->setFont(labelFont(option.font, index.row()));
    painter->setPen(enabled ? TextColor : OffColor);
    painter->drawText(option.rect.adjusted(Inset, Inset, 0, 0), TopLeft,
                      index.data(Qt::DisplayRole).toString());
}

void SequenceCellDelegate::paintSequence(QPainter* painter, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    // Read-only cells (the built-in schemes) show their letters grey.
    const bool live =
        (option.state & QStyle::State_Enabled) && (index.flags() & Qt::ItemIsEditable);
    painter->fillRect(option.rect, option.palette.color(QPalette::Base));
    painter->setFont(option.font);
    const QFontMetrics metrics(option.font);
    int x = option.rect.left() + Inset;
    for (const SequencePiece& piece : pieces(index.data(Qt::DisplayRole).toString())) {
        painter->setPen(piece.control ? ControlColor : live ? TextColor : OffColor);
        painter->drawText(QRect(QPoint(x, option.rect.top() + Inset), option.rect.bottomRight()),
                          TopLeft, piece.text);
        x += metrics.horizontalAdvance(piece.text);
    }
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(QPalette::Base);
        const QWidget* view = option.widget;
        (view ? view->style() : QApplication::style())
            ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, view);
    }
}

QWidget* SequenceCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                            const QModelIndex&) const {
    auto* editor = new EscapeLineEdit(parent);
    editor->setFrame(false);
    // Every keystroke reaches the cell at once, so that apply takes what is being typed.
    connect(editor, &QLineEdit::textEdited, this, &SequenceCellDelegate::commitTyping);
    return editor;
}

void SequenceCellDelegate::commitTyping() {
    if (auto* editor = qobject_cast<QWidget*>(sender()))
        emit commitData(editor);
}

bool SequenceCellDelegate::eventFilter(QObject* object, QEvent* event) {
    // ESC is a byte here: the editor types it instead of the view cancelling the edit.
    if (event->type() == QEvent::KeyPress &&
        EscapeLineEdit::typesControlByte(*static_cast<QKeyEvent*>(event)))
        return false;
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace marlet
