#pragma once

#include "config/InterfaceTexts.h"

class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace marlet {

class EscapeLineEdit;
class SequenceGrid;

/// The scheme editor's controls, laid out in its dialog from the top: the scheme list with
/// "Удалить", the grid of codes, the initialisation field, the name field with "Добавить"
/// and "Переименовать", then "Применить" and "Закрыть".
struct SchemeEditorControls {
    /// Makes the controls in the dialog and lays them out; the grid shows all its rows.
    explicit SchemeEditorControls(QDialog& dialog);

    /// Puts the language's captions on the controls, "Отмена" on the close button while
    /// something is changed; every button keeps room for the longest caption it shows.
    void setCaptions(const InterfaceTexts& texts, bool changed);

    QGroupBox* schemeGroup = nullptr;
    QComboBox* schemeList = nullptr;
    QPushButton* deleteButton = nullptr;
    QGroupBox* codesGroup = nullptr;
    SequenceGrid* grid = nullptr;
    QLabel* initLabel = nullptr;
    EscapeLineEdit* initField = nullptr;
    QLineEdit* nameField = nullptr;
    QPushButton* add = nullptr;
    QPushButton* rename = nullptr;
    QPushButton* apply = nullptr;
    QPushButton* close = nullptr;
};

} // namespace marlet
