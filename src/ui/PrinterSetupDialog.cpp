#include "PrinterSetupDialog.h"

#include "Artwork.h"
#include "UiText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace marlet {

PrinterSetupDialog::PrinterSetupDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_printerCaption(new QLabel), m_printers(new QComboBox), m_orientation(new QGroupBox),
      m_portrait(new QRadioButton), m_landscape(new QRadioButton),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel)) {
    m_printers->setObjectName(QStringLiteral("printers"));
    m_printers->setMinimumWidth(240);
    m_printerCaption->setBuddy(m_printers);
    m_portrait->setIcon(Artwork::icon(QStringLiteral("portrait")));
    m_landscape->setIcon(Artwork::icon(QStringLiteral("landscape")));
    auto* sides = new QHBoxLayout(m_orientation);
    sides->addWidget(m_portrait);
    sides->addWidget(m_landscape);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_printerCaption);
    layout->addWidget(m_printers);
    layout->addWidget(m_orientation);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void PrinterSetupDialog::showTexts(const InterfaceTexts& texts) {
    setWindowTitle(uiText(texts, TextKey::Printer));
    m_printerCaption->setText(uiText(texts, TextKey::Printer));
    m_orientation->setTitle(uiText(texts, TextKey::Orientation));
    m_portrait->setText(uiText(texts, TextKey::Portrait));
    m_landscape->setText(uiText(texts, TextKey::Landscape));
    m_buttons->button(QDialogButtonBox::Ok)->setText(uiText(texts, TextKey::Ok));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(uiText(texts, TextKey::Cancel));
}

void PrinterSetupDialog::setChoice(const std::vector<std::string>& printers,
                                   const std::string& current, bool landscape) {
    m_printers->clear();
    for (const std::string& name : printers)
        m_printers->addItem(QString::fromStdString(name));
    m_printers->setCurrentIndex(m_printers->findText(QString::fromStdString(current)));
    (landscape ? m_landscape : m_portrait)->setChecked(true);
}

std::string PrinterSetupDialog::printer() const {
    return m_printers->currentText().toStdString();
}

bool PrinterSetupDialog::landscape() const {
    return m_landscape->isChecked();
}

} // namespace marlet
