#pragma once

#include <QWidget>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace marlet {

class ApplicationSignals;
class DesktopActions;
class ResidentSession;

/// The "Общие" tab: the queue, capture and language, the sample page and orientation, the
/// text switches, the printer, and the button that opens the scheme editor. It shows the
/// application's settings and changes them through its setters.
class GeneralPage final : public QWidget {
    Q_OBJECT
public:
    using ErrorReport = std::function<void(const std::string&)>;

    GeneralPage(ResidentSession& session, ApplicationSignals& changes, DesktopActions& actions,
                ErrorReport report, QWidget* parent = nullptr);

    /// Shows every setting and caption as they stand.
    void refresh();
    /// Selects the current language in its list, as every activation of the window does.
    void selectCurrentLanguage();

signals:
    /// "Выбрать" was pressed.
    void printerSelectionRequested();
    /// "Последовательности" was pressed.
    void schemesRequested();

private:
    void build();
    void retranslate();
    void showSetting(const QString& name);
    void showOrientation();
    void showPrinter();
    void chooseLanguage(int index);

    ResidentSession& m_session;
    DesktopActions& m_actions;
    ErrorReport m_report;

    QGroupBox* m_queueGroup = nullptr;
    QLabel* m_timeOutCaption = nullptr;
    QSlider* m_timeOut = nullptr;
    QLabel* m_timeOutValue = nullptr;
    QCheckBox* m_autoPrint = nullptr;
    QCheckBox* m_endOfPage = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_printFile = nullptr;
    QLabel* m_spoolCaption = nullptr;
    QLineEdit* m_spool = nullptr;
    QCheckBox* m_capture = nullptr;
    QLabel* m_languageCaption = nullptr;
    QComboBox* m_language = nullptr;
    QGroupBox* m_sampleGroup = nullptr;
    QLabel* m_samplePortrait = nullptr;
    QLabel* m_sampleLandscape = nullptr;
    QGroupBox* m_orientationGroup = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QLabel* m_portraitPicture = nullptr;
    QLabel* m_landscapePicture = nullptr;
    QGroupBox* m_textGroup = nullptr;
    QCheckBox* m_lineWrap = nullptr;
    QCheckBox* m_pageFeed = nullptr;
    QCheckBox* m_minimize = nullptr;
    QGroupBox* m_printerGroup = nullptr;
    QLabel* m_printerName = nullptr;
    QPushButton* m_select = nullptr;
    QLabel* m_newVersion = nullptr;
    QPushButton* m_schemes = nullptr;
    QPushButton* m_jobs = nullptr;
};

} // namespace marlet
