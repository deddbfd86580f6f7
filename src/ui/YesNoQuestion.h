#pragma once

#include "config/InterfaceTexts.h"

#include <QMessageBox>
#include <QString>

class QWidget;

namespace marlet {

/// Asks a question with the answers "Да" and "Нет" of the interface language (Qt's own
/// words where the language file has none) and tells whether the answer was yes. Enter
/// gives the default answer, Esc no.
bool askYesNo(QWidget* parent, const QString& title, const QString& question,
              const InterfaceTexts& texts,
              QMessageBox::StandardButton defaultAnswer = QMessageBox::Yes);

} // namespace marlet
