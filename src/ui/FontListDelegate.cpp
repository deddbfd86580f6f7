#include "FontListDelegate.h"

#include "Artwork.h"

#include <QAbstractItemView>
#include <QPainter>

#include <algorithm>

namespace marlet {

FontListDelegate::FontListDelegate(PitchTest fixedPitch, QObject* parent)
    : QStyledItemDelegate(parent),
      m_fixedPitch(std::move(fixedPitch)), m_pictures{
                                               Artwork::picture(QStringLiteral("fixed-pitch")),
                                               Artwork::picture(QStringLiteral("proportional"))} {
}

const QPixmap& FontListDelegate::pictureFor(const QString& face) const {
    return m_pictures[m_fixedPitch(face) ? 0 : 1];
}

QString FontListDelegate::shownText(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    // A line is as wide as its text, which may be wider than the list shows: the room is
    // what the list's window leaves right of the picture.
    int right = option.rect.right();
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        right = std::min(right, view->viewport()->rect().right());
    const int room = right + 1 - option.rect.left() - NameIndent;
    return option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                         room);
}

void FontListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->save();
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    // The line may name a stand-in after the face: the face itself is what is measured.
    QString face = index.data(Qt::UserRole).toString();
    if (face.isEmpty())
        face = index.data(Qt::DisplayRole).toString();
    // The picture is 16 pixels high on a 13-pixel line: its artwork keeps to the top 13.
    painter->setClipRect(option.rect);
    painter->drawPixmap(option.rect.topLeft(), pictureFor(face));
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    QRect text = option.rect.adjusted(NameIndent, 0, 0, 0);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      shownText(option, index));
    painter->restore();
}

QSize FontListDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), LineHeight};
}

} // namespace marlet
