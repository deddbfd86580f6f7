#include "SchemeEditorControls.h"

#include "EscapeLineEdit.h"
#include "SequenceGrid.h"
#include "UiText.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <utility>
#include <vector>

namespace marlet {

namespace {

QPushButton* makeButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    // Enter ends typing in a line; it must not also apply or close.
    button->setAutoDefault(false);
    return button;
}

} // namespace

SchemeEditorControls::SchemeEditorControls(QDialog& dialog) {
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(4, 4, 4, 6);
    layout->setSpacing(4);

    schemeGroup = new QGroupBox(&dialog);
    schemeGroup->setObjectName(QStringLiteral("schemeGroup"));
    schemeList = new QComboBox(schemeGroup);
    schemeList->setObjectName(QStringLiteral("schemeList"));
    deleteButton = makeButton(schemeGroup, "deleteButton");
    auto* schemeLayout = new QHBoxLayout(schemeGroup);
    schemeLayout->setContentsMargins(6, 2, 6, 6);
    schemeLayout->addWidget(schemeList, 1);
    schemeLayout->addWidget(deleteButton);
    layout->addWidget(schemeGroup);

    codesGroup = new QGroupBox(&dialog);
    codesGroup->setObjectName(QStringLiteral("codesGroup"));
    grid = new SequenceGrid(codesGroup);
    grid->setObjectName(QStringLiteral("sequenceGrid"));
    auto* codesLayout = new QVBoxLayout(codesGroup);
    codesLayout->setContentsMargins(0, 2, 0, 0);
    codesLayout->addWidget(grid);
    // Every row shows: the grid is as tall as its twenty rows.
    grid->setMinimumHeight(grid->verticalHeader()->length() + 2 * grid->frameWidth());
    layout->addWidget(codesGroup, 1);

    initLabel = new QLabel(&dialog);
    initLabel->setObjectName(QStringLiteral("initLabel"));
    initField = new EscapeLineEdit(&dialog);
    initField->setObjectName(QStringLiteral("initField"));
    initLabel->setBuddy(initField);
    auto* initRow = new QHBoxLayout;
    initRow->addWidget(initLabel);
    initRow->addWidget(initField, 1);
    layout->addLayout(initRow);

    nameField = new QLineEdit(&dialog);
    nameField->setObjectName(QStringLiteral("nameField"));
    add = makeButton(&dialog, "addButton");
    rename = makeButton(&dialog, "renameButton");
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameField, 1);
    nameRow->addWidget(add);
    nameRow->addWidget(rename);
    layout->addLayout(nameRow);

    apply = makeButton(&dialog, "applyButton");
    close = makeButton(&dialog, "closeButton");
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(apply);
    buttonRow->addWidget(close);
    layout->addLayout(buttonRow);
}

void SchemeEditorControls::setCaptions(const InterfaceTexts& texts, bool changed) {
    schemeGroup->setTitle(uiText(texts, TextKey::Esc));
    codesGroup->setTitle(uiText(texts, TextKey::Codes));
    initLabel->setText(uiText(texts, TextKey::Initialize));
    apply->setText(uiText(texts, TextKey::Apply));
    close->setText(uiText(texts, changed ? TextKey::Cancel : TextKey::Close));
    add->setText(uiText(texts, TextKey::Add));
    rename->setText(uiText(texts, TextKey::Rename));
    deleteButton->setText(uiText(texts, TextKey::Delete));
    // The style leaves a long caption only a few pixels; each button keeps its full
    // margins round the longest caption it shows.
    const QStyle* style = apply->style();
    const int margins = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin) +
                             style->pixelMetric(QStyle::PM_DefaultFrameWidth));
    const std::pair<QPushButton*, std::vector<TextKey>> buttons[] = {
        {apply, {TextKey::Apply}},
        {close, {TextKey::Close, TextKey::Cancel}},
        {add, {TextKey::Add}},
        {rename, {TextKey::Rename}},
        {deleteButton, {TextKey::Delete}}};
    for (const auto& [button, keys] : buttons) {
        int widest = 0;
        for (TextKey key : keys)
            widest = std::max(widest, button->fontMetrics().horizontalAdvance(
                                          uiText(texts, key).remove(QLatin1Char('&'))));
        button->setMinimumWidth(widest + margins);
    }
}

} // namespace marlet
