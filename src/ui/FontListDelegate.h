#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

#include <functional>

namespace marlet {

/// Draws a line of the font list: the fixed-pitch or the proportional picture at the
/// line's top-left corner, then the face name 15 pixels in, cut short with an ellipsis
/// where the list is too narrow for it. Every line is 13 pixels high.
class FontListDelegate final : public QStyledItemDelegate {
public:
    /// The fixed-pitch test the pictures follow; it runs for every line drawn.
    using PitchTest = std::function<bool(const QString& face)>;

    static constexpr int LineHeight = 13;
    static constexpr int NameIndent = 15;

    explicit FontListDelegate(PitchTest fixedPitch, QObject* parent = nullptr);

    /// The picture a face gets: 0 for fixed pitch, 1 for proportional.
    const QPixmap& pictureFor(const QString& face) const;

    /// The line's text as drawn: whole when it fits the list, else as much of its start as
    /// fits, ended by an ellipsis.
    QString shownText(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    PitchTest m_fixedPitch;
    QPixmap m_pictures[2];
};

} // namespace marlet
