#pragma once

#include <QStyledItemDelegate>

#include <vector>

namespace marlet {

/// One run of a sequence cell as it is drawn.
struct SequencePiece {
    QString text;
    /// A control byte shown as "[#27]", drawn in blue.
    bool control = false;

    bool operator==(const SequencePiece&) const = default;
};

/// Draws the scheme grid: the row labels in the style they name, and each sequence byte by
/// byte with its control bytes as "[#NN]" in blue, so that ESC reads as [#27]. Its cell
/// editor types ESC as DEL.
class SequenceCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    /// The column of the row labels and the column of the sequences.
    static constexpr int LabelColumn = 0;
    static constexpr int SequenceColumn = 1;
    /// Text starts this far right of and below the cell's corner.
    static constexpr int TextInset = 2;

    using QStyledItemDelegate::QStyledItemDelegate;

    /// The runs a cell's text is drawn in, in order; a DEL shows as the ESC it stands for.
    static std::vector<SequencePiece> pieces(const QString& text);
    /// The font of a row label: bold, italic, underlined and struck out for the rows of
    /// those four switches (0, 2, 4, 6), plain for the others.
    static QFont labelFont(QFont font, int row);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private slots:
    void commitTyping();

private:
    void paintLabel(QPainter* painter, const QStyleOptionViewItem& option,
                    const QModelIndex& index) const;
    void paintSequence(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const;
};

} // namespace marlet
