#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace marlet {

class InterfaceTexts;

/// "Выбрать": the printer jobs go to and the orientation of its sheet. Jobs print on the
/// chosen printer as a whole, so there is no file to print to, no page range and no copies;
/// the PDF printer names its own files.
class PrinterSetupDialog final : public QDialog {
    Q_OBJECT
public:
    explicit PrinterSetupDialog(QWidget* parent = nullptr);

    /// Captions in the interface language.
    void showTexts(const InterfaceTexts& texts);
    /// Lists the printers with current selected and the orientation checked.
    void setChoice(const std::vector<std::string>& printers, const std::string& current,
                   bool landscape);
    /// The printer picked.
    std::string printer() const;
    /// Whether landscape is checked.
    bool landscape() const;

private:
    QLabel* m_printerCaption;
    QComboBox* m_printers;
    QGroupBox* m_orientation;
    QRadioButton* m_portrait;
    QRadioButton* m_landscape;
    QDialogButtonBox* m_buttons;
};

} // namespace marlet
