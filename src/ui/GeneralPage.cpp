#include "GeneralPage.h"

#include "ApplicationSignals.h"
#include "Artwork.h"
#include "DesktopActions.h"
#include "UiText.h"
#include "app/ResidentSession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace marlet {

namespace {

constexpr int Spacing = 3;

// Group boxes of the page are tight: the window keeps its Windows-era size.
void tighten(QLayout* layout) {
    layout->setContentsMargins(Spacing + 1, Spacing, Spacing + 1, Spacing);
    layout->setSpacing(Spacing);
}

// A button that runs an action of the tray menu and is enabled with it.
void bindToAction(QPushButton* button, QAction& action) {
    QObject::connect(button, &QPushButton::clicked, &action, &QAction::trigger);
    QObject::connect(&action, &QAction::changed, button,
                     [button, &action] { button->setEnabled(action.isEnabled()); });
    button->setEnabled(action.isEnabled());
}

} // namespace

GeneralPage::GeneralPage(ResidentSession& session, ApplicationSignals& changes,
                         DesktopActions& actions, ErrorReport report, QWidget* parent)
    : QWidget(parent), m_session(session), m_actions(actions), m_report(std::move(report)) {
    build();
    connect(&changes, &ApplicationSignals::settingChanged, this, &GeneralPage::showSetting);
    connect(&changes, &ApplicationSignals::textsChanged, this, &GeneralPage::retranslate);
    connect(&changes, &ApplicationSignals::printerChanged, this, &GeneralPage::showPrinter);
    refresh();
}

void GeneralPage::build() {
    Application& app = m_session.app();

    m_queueGroup = new QGroupBox;
    m_timeOutCaption = new QLabel;
    m_timeOut = new QSlider(Qt::Horizontal);
    m_timeOut->setRange(1, 10);
    m_timeOut->setTickInterval(1);
    m_timeOut->setTickPosition(QSlider::TicksBelow);
    m_timeOut->setPageStep(1);
    m_timeOutValue = new QLabel;
    m_autoPrint = new QCheckBox;
    m_endOfPage = new QCheckBox;
    m_print = new QPushButton;
    m_clear = new QPushButton;
    m_printFile = new QPushButton;
    m_spoolCaption = new QLabel;
    m_spool = new QLineEdit;
    m_capture = new QCheckBox;
    m_languageCaption = new QLabel(QStringLiteral("Interface language"));
    m_language = new QComboBox;
    m_language->setObjectName(QStringLiteral("language"));
    for (const std::string& language : app.languages())
        m_language->addItem(QString::fromStdString(language));

    auto* timeOutRow = new QHBoxLayout;
    timeOutRow->addWidget(m_timeOutCaption);
    timeOutRow->addWidget(m_timeOut, 1);
    timeOutRow->addWidget(m_timeOutValue);
    auto* buttons = new QGridLayout;
    buttons->setSpacing(Spacing);
    buttons->addWidget(m_print, 0, 0);
    buttons->addWidget(m_clear, 0, 1);
    buttons->addWidget(m_printFile, 1, 0, 1, 2);
    auto* queue = new QVBoxLayout(m_queueGroup);
    tighten(queue);
    queue->addLayout(timeOutRow);
    queue->addWidget(m_autoPrint);
    queue->addWidget(m_endOfPage);
    queue->addLayout(buttons);
    queue->addWidget(m_spoolCaption);
    queue->addWidget(m_spool);
    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(m_languageCaption);
    languageRow->addWidget(m_language, 1);
    auto* left = new QVBoxLayout;
    left->setSpacing(Spacing);
    left->addWidget(m_queueGroup);
    left->addWidget(m_capture);
    left->addLayout(languageRow);
    left->addStretch(1);

    m_sampleGroup = new QGroupBox;
    m_samplePortrait = new QLabel;
    m_samplePortrait->setPixmap(Artwork::picture("sample-portrait"));
    m_sampleLandscape = new QLabel;
    m_sampleLandscape->setPixmap(Artwork::picture("sample-landscape"));
    auto* sample = new QHBoxLayout(m_sampleGroup);
    tighten(sample);
    sample->addWidget(m_samplePortrait, 0, Qt::AlignCenter);
    sample->addWidget(m_sampleLandscape, 0, Qt::AlignCenter);
    m_orientationGroup = new QGroupBox;
    m_portrait = new QRadioButton;
    m_landscape = new QRadioButton;
    m_portraitPicture = new QLabel;
    m_portraitPicture->setPixmap(Artwork::icon("portrait").pixmap(16, 16));
    m_landscapePicture = new QLabel;
    m_landscapePicture->setPixmap(Artwork::icon("landscape").pixmap(16, 16));
    auto* orientation = new QGridLayout(m_orientationGroup);
    tighten(orientation);
    orientation->addWidget(m_portrait, 0, 0);
    orientation->addWidget(m_landscape, 1, 0);
    // The picture goes under the buttons: the column is too narrow for it beside them.
    orientation->addWidget(m_portraitPicture, 2, 0, Qt::AlignCenter);
    orientation->addWidget(m_landscapePicture, 2, 0, Qt::AlignCenter);
    auto* middle = new QVBoxLayout;
    middle->setSpacing(Spacing);
    middle->addWidget(m_sampleGroup, 1);
    middle->addWidget(m_orientationGroup);

    m_textGroup = new QGroupBox;
    m_lineWrap = new QCheckBox;
    m_pageFeed = new QCheckBox;
    m_minimize = new QCheckBox;
    auto* text = new QVBoxLayout(m_textGroup);
    tighten(text);
    text->addWidget(m_lineWrap);
    text->addWidget(m_pageFeed);
    text->addWidget(m_minimize);
    m_printerGroup = new QGroupBox;
    m_printerName = new QLabel;
    // A long queue name must not widen the page: it is cut, and its tip shows it whole.
    m_printerName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_select = new QPushButton;
    auto* printer = new QVBoxLayout(m_printerGroup);
    tighten(printer);
    printer->addWidget(m_printerName);
    printer->addWidget(m_select, 0, Qt::AlignRight);
    m_schemes = new QPushButton;
    m_jobs = new QPushButton;
    m_newVersion = new QLabel;
    m_newVersion->setObjectName(QStringLiteral("newVersion"));
    auto* right = new QVBoxLayout;
    right->setSpacing(Spacing);
    right->addWidget(m_textGroup);
    right->addWidget(m_printerGroup);
    right->addStretch(1);
    right->addWidget(m_newVersion);
    right->addWidget(m_schemes);
    right->addWidget(m_jobs);

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(Spacing, Spacing, Spacing, Spacing);
    page->setSpacing(Spacing + 1);
    page->addLayout(left, 9);
    page->addLayout(middle, 5);
    page->addLayout(right, 9);

    connect(m_timeOut, &QSlider::valueChanged, this, [&app](int value) { app.setTimeOut(value); });
    connect(m_autoPrint, &QCheckBox::toggled, this, [&app](bool on) { app.setAutoPrint(on); });
    connect(m_endOfPage, &QCheckBox::toggled, this, [&app](bool on) { app.setFormFeedEnd(on); });
    connect(m_capture, &QCheckBox::toggled, this, [&app](bool on) { app.setCapture(on); });
    connect(m_lineWrap, &QCheckBox::toggled, this, [&app](bool on) { app.setLineWrap(on); });
    connect(m_pageFeed, &QCheckBox::toggled, this, [&app](bool on) { app.setPageFeed(on); });
    connect(m_minimize, &QCheckBox::toggled, this, [&app](bool on) { app.setMinimize(on); });
    connect(m_spool, &QLineEdit::editingFinished, this,
            [this, &app] { app.setSpool(m_spool->text().toStdString()); });
    connect(m_portrait, &QRadioButton::clicked, this,
            [this] { m_session.app().setOrientation(Orientation::Portrait); });
    connect(m_landscape, &QRadioButton::clicked, this,
            [this] { m_session.app().setOrientation(Orientation::Landscape); });
    connect(m_language, &QComboBox::activated, this, &GeneralPage::chooseLanguage);
    connect(m_select, &QPushButton::clicked, this, &GeneralPage::printerSelectionRequested);
    connect(m_schemes, &QPushButton::clicked, this, &GeneralPage::schemesRequested);
    bindToAction(m_print, m_actions.print);
    bindToAction(m_clear, m_actions.clear);
    bindToAction(m_printFile, m_actions.printFile);
    bindToAction(m_jobs, m_actions.jobs);
}

void GeneralPage::refresh() {
    retranslate();
    for (const char* name : {"TimeOut", "AutoPrint", "FormFeed", "Spool", "Capture", "LineWrap",
                             "PageFeed", "Minimize"})
        showSetting(QString::fromLatin1(name));
    showOrientation();
    showPrinter();
    selectCurrentLanguage();
}

void GeneralPage::selectCurrentLanguage() {
    int index = m_language->findText(QString::fromStdString(m_session.app().settings().Language));
    if (index >= 0)
        m_language->setCurrentIndex(index);
}

void GeneralPage::retranslate() {
    const InterfaceTexts& texts = m_session.app().texts();
    m_queueGroup->setTitle(uiText(texts, TextKey::SpoolParam));
    m_timeOutCaption->setText(uiText(texts, TextKey::TimeOut));
    m_timeOutValue->setText(QString::fromStdString(texts.timeOutLabel(m_timeOut->value())));
    m_autoPrint->setText(uiText(texts, TextKey::AutoPrint));
    m_endOfPage->setText(uiText(texts, TextKey::EOFPrint));
    m_print->setText(uiText(texts, TextKey::Print));
    m_print->setToolTip(uiText(texts, TextKey::Print).remove(QLatin1Char('&')));
    m_clear->setText(uiText(texts, TextKey::Clear));
    m_printFile->setText(uiText(texts, TextKey::PrintFile));
    m_spoolCaption->setText(uiText(texts, TextKey::FileName));
    m_capture->setText(uiText(texts, TextKey::Capture));
    m_sampleGroup->setTitle(uiText(texts, TextKey::Preview));
    m_orientationGroup->setTitle(uiText(texts, TextKey::Orientation));
    m_portrait->setText(uiText(texts, TextKey::Portrait));
    m_landscape->setText(uiText(texts, TextKey::Landscape));
    m_textGroup->setTitle(uiText(texts, TextKey::TextParam));
    m_lineWrap->setText(uiText(texts, TextKey::WordWrap));
    m_pageFeed->setText(uiText(texts, TextKey::FormFeed));
    m_minimize->setText(uiText(texts, TextKey::Minimize));
    m_printerGroup->setTitle(uiText(texts, TextKey::Printer));
    m_select->setText(uiText(texts, TextKey::Select));
    m_newVersion->setText(uiText(texts, TextKey::NewVersion));
    m_schemes->setText(uiText(texts, TextKey::Esc));
    m_jobs->setText(uiText(texts, TextKey::Jobs));
}

void GeneralPage::showSetting(const QString& name) {
    const Settings& settings = m_session.app().settings();
    auto check = [](QCheckBox* box, bool on) {
        QSignalBlocker quiet(box);
        box->setChecked(on);
    };
    if (name == QLatin1String("TimeOut")) {
        QSignalBlocker quiet(m_timeOut);
        m_timeOut->setValue(settings.TimeOut);
        m_timeOutValue->setText(
            QString::fromStdString(m_session.app().texts().timeOutLabel(settings.TimeOut)));
    } else if (name == QLatin1String("AutoPrint")) {
        check(m_autoPrint, settings.AutoPrint);
    } else if (name == QLatin1String("FormFeed")) {
        check(m_endOfPage, settings.FormFeed);
    } else if (name == QLatin1String("Spool")) {
        m_spool->setText(QString::fromStdString(settings.Spool));
    } else if (name == QLatin1String("Capture")) {
        check(m_capture, settings.Capture);
    } else if (name == QLatin1String("LineWrap")) {
        check(m_lineWrap, settings.LineWrap);
    } else if (name == QLatin1String("PageFeed")) {
        check(m_pageFeed, settings.PageFeed);
    } else if (name == QLatin1String("Minimize")) {
        check(m_minimize, settings.Minimize);
    } else if (name == QLatin1String("Orientation")) {
        showOrientation();
    } else if (name == QLatin1String("Language")) {
        selectCurrentLanguage();
    }
}

void GeneralPage::showOrientation() {
    bool landscape = m_session.app().settings().Orientation;
    m_portrait->setChecked(!landscape);
    m_landscape->setChecked(landscape);
    m_samplePortrait->setVisible(!landscape);
    m_portraitPicture->setVisible(!landscape);
    m_sampleLandscape->setVisible(landscape);
    m_landscapePicture->setVisible(landscape);
    m_actions.showOrientation(landscape);
}

void GeneralPage::showPrinter() {
    QString name = QString::fromStdString(m_session.printerName());
    m_printerName->setText(name);
    m_printerName->setToolTip(name);
}

void GeneralPage::chooseLanguage(int index) {
    try {
        m_session.app().setLanguage(m_language->itemText(index).toStdString());
    } catch (const std::exception& e) {
        selectCurrentLanguage();
        m_report(e.what());
    }
}

} // namespace marlet
