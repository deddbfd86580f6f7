#include "PageParamsGroup.h"

#include "UiText.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

#include <limits>

namespace marlet {

namespace {

constexpr int Left = 8;
constexpr int Width = 241;
constexpr int LineHeight = 14;
constexpr int NumberX = 110;
constexpr int NumberWidth = 40;
constexpr int UnitX = 154;
constexpr int SpinX = 164;

} // namespace

PageParamsGroup::PageParamsGroup(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("pageParams"));
    // The first line keeps clear of the frame the title sits on.
    m_set1 = label("set1", Left, 20, Width);
    m_set2 = label("set2", Left, 34, Width);
    m_verticalCaption = label("verticalCaption", Left, 52, NumberX - Left - 2);
    m_lines = label("lines", NumberX, 52, NumberWidth, Qt::AlignRight);
    m_linesUnit = label("linesUnit", UnitX, 52, Width + Left - UnitX);
    m_horizontalCaption = label("horizontalCaption", Left, 68, NumberX - Left - 2);
    m_chars = label("chars", NumberX, 68, NumberWidth, Qt::AlignRight);
    m_charsUnit = label("charsUnit", UnitX, 68, Width + Left - UnitX);
    m_topCaption = label("topMarginCaption", Left, 88, SpinX - Left - 4);
    m_leftCaption = label("leftMarginCaption", Left, 111, SpinX - Left - 4);
    m_top = spinBox("topMargin", 84);
    m_left = spinBox("leftMargin", 107);
    m_topCaption->setBuddy(m_top);
    m_leftCaption->setBuddy(m_left);
}

QLabel* PageParamsGroup::label(const char* name, int x, int y, int width, Qt::Alignment alignment) {
    auto* label = new QLabel(this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(x, y, width, LineHeight);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

QSpinBox* PageParamsGroup::spinBox(const char* name, int y) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName(QLatin1String(name));
    spin->setGeometry(SpinX, y, 70, 22);
    // Margins may run into the unprintable strips; the sheet's far edge limits them.
    spin->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    connect(spin, &QSpinBox::valueChanged, this, [this] {
        emit marginsEdited(Margins{m_top->value(), m_left->value()});
    });
    return spin;
}

void PageParamsGroup::showTexts(const InterfaceTexts& texts) {
    setTitle(uiText(texts, TextKey::PageParam));
    m_set1->setText(uiText(texts, TextKey::Set1));
    m_set2->setText(uiText(texts, TextKey::Set2));
    m_verticalCaption->setText(uiText(texts, TextKey::Vertical));
    m_linesUnit->setText(uiText(texts, TextKey::Lines));
    m_horizontalCaption->setText(uiText(texts, TextKey::Horizontal));
    m_charsUnit->setText(uiText(texts, TextKey::Chars));
    m_topCaption->setText(uiText(texts, TextKey::TopMargin));
    m_leftCaption->setText(uiText(texts, TextKey::LeftMargin));
}

void PageParamsGroup::showFigures(const PageFigures& figures) {
    m_lines->setText(QString::number(figures.linesPerPage));
    m_chars->setText(QString::number(figures.charsPerLine));
    for (QLabel* label : {m_horizontalCaption, m_chars, m_charsUnit})
        label->setVisible(figures.monospace);
}

void PageParamsGroup::limitMargins(Margins largest) {
    QSignalBlocker topBlocker(m_top);
    QSignalBlocker leftBlocker(m_left);
    m_top->setMaximum(largest.top);
    m_left->setMaximum(largest.left);
}

void PageParamsGroup::showMargins(Margins margins) {
    QSignalBlocker topBlocker(m_top);
    QSignalBlocker leftBlocker(m_left);
    m_top->setValue(margins.top);
    m_left->setValue(margins.left);
}

} // namespace marlet
