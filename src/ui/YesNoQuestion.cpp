#include "YesNoQuestion.h"

#include "UiText.h"

#include <QPushButton>

#include <utility>

namespace marlet {

bool askYesNo(QWidget* parent, const QString& title, const QString& question,
              const InterfaceTexts& texts, QMessageBox::StandardButton defaultAnswer) {
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(defaultAnswer);
    for (auto [button, key] :
         {std::pair{QMessageBox::Yes, TextKey::Yes}, std::pair{QMessageBox::No, TextKey::No}})
        if (!texts[key].empty())
            box.button(button)->setText(uiText(texts, key));
    return box.exec() == QMessageBox::Yes;
}

} // namespace marlet
