#pragma once

#include "config/InterfaceTexts.h"
#include "render/PageGeometry.h"

#include <QGroupBox>

class QLabel;
class QSpinBox;

namespace marlet {

/// The "Параметры страницы" group of the fonts page: how many lines and characters a page
/// takes in the chosen font, and the top and left margins in millimetres.
class PageParamsGroup final : public QGroupBox {
    Q_OBJECT
public:
    explicit PageParamsGroup(QWidget* parent = nullptr);

    /// Takes the captions of the current language.
    void showTexts(const InterfaceTexts& texts);
    /// Shows the figures; the character count and its captions only for a fixed-pitch font.
    void showFigures(const PageFigures& figures);
    /// Shows the margins without reporting them as edited.
    void showMargins(Margins margins);
    /// Keeps the margins the user types to what leaves the sheet a line.
    void limitMargins(Margins largest);

signals:
    /// The user changed either margin.
    void marginsEdited(Margins margins);

private:
    QLabel* label(const char* name, int x, int y, int width, Qt::Alignment alignment = {});
    QSpinBox* spinBox(const char* name, int y);

    QLabel* m_set1;
    QLabel* m_set2;
    QLabel* m_verticalCaption;
    QLabel* m_lines;
    QLabel* m_linesUnit;
    QLabel* m_horizontalCaption;
    QLabel* m_chars;
    QLabel* m_charsUnit;
    QLabel* m_topCaption;
    QLabel* m_leftCaption;
    QSpinBox* m_top;
    QSpinBox* m_left;
};

} // namespace marlet
