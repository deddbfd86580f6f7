#include "DesktopApp.h"

#include "Artwork.h"
#include "FontsPage.h"
#include "GeneralPage.h"
#include "JobsWindow.h"
#include "MainWindow.h"
#include "PrinterSetupDialog.h"
#include "SchemeEditorDialog.h"
#include "TrayIcon.h"
#include "UiText.h"
#include "YesNoQuestion.h"
#include "app/ChildJobRunner.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include <cstdio>

namespace marlet {

template <typename Command>
void DesktopApp::run(Command command) {
    // A command that fails ends there; the app runs on.
    try {
        command();
    } catch (const std::exception& e) {
        reportError(e.what());
    }
}

DesktopApp::DesktopApp(const PrinterCatalog& catalog, SettingsStore& store, JobRunner& runner,
                       DriverLocation capture)
    : m_session(catalog, store, *this, runner, std::move(capture)), m_signals(m_session.app()) {
    m_errorReport = [this](const std::string& message) {
        QMessageBox::critical(m_window && m_window->isVisible() ? m_window.get() : nullptr,
                              QStringLiteral("Marlet"), QString::fromStdString(message));
    };
    m_exitQuestion = [this] {
        const InterfaceTexts& texts = m_session.app().texts();
        return askYesNo(m_window && m_window->isVisible() ? m_window.get() : nullptr,
                        uiText(texts, TextKey::ExitTitle),
                        uiText(texts, TextKey::ExitLine1) + QLatin1Char('\n') +
                            uiText(texts, TextKey::ExitLine2),
                        texts);
    };
    connect(&m_queueTimer, &QTimer::timeout, this, [this] { m_session.queueTick(); });
    connect(&m_stateTimer, &QTimer::timeout, this, [this] {
        m_session.takeCaptureNotices();
        m_session.stateTick();
    });
    m_waitingIcon.setIcon(Artwork::icon("waiting"));
    connect(&m_waitingIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A click while a job prints waits for the icon to come back after it.
                if (reason == QSystemTrayIcon::Trigger && !m_printing)
                    run([this] { m_session.waitingIconClicked(); });
            });
}

DesktopApp::~DesktopApp() = default;

void DesktopApp::start() {
    m_session.startUp();
    // Every window and message of the program carries its icon in the frame.
    QApplication::setWindowIcon(Artwork::icon("marlet"));

    m_general = new GeneralPage(m_session, m_signals, m_actions,
                                [this](const std::string& message) { reportError(message); });
    m_fonts = new FontsPage(m_session, m_signals,
                            [this](const std::string& message) { reportError(message); });
    m_fonts->markFontListsFilled();
    m_window = std::make_unique<MainWindow>(m_session, m_general, m_fonts);
    m_jobs = std::make_unique<JobsWindow>(
        m_session, m_signals, JobHistory(JobHistory::defaultFolder()),
        m_previewProgram.empty() ? ChildJobRunner::installedProgram() : m_previewProgram,
        m_registryPath);
    m_schemeEditor = new SchemeEditorDialog(
        m_session.app(), [this](const std::string& message) { reportError(message); },
        m_window.get());
    // The icon goes in even so: a panel that comes up later (a login's autostart) takes it.
    m_tray = std::make_unique<TrayIcon>(Artwork::icon("marlet"), m_window.get());
    if (!TrayIcon::available())
        std::fputs("Cannot create shell notification icon\n", stderr);
    connectCommands();
    QStringList presets;
    for (const std::string& name : m_session.initPresets().names)
        presets << QString::fromStdString(name);
    m_actions.setInitPresets(m_session.initPresets().available, presets);
    retranslate();

    m_stateTimer.start(SpoolMonitor::StateInterval);
    m_window->showCentred();
    m_window->activateWindow();
}

void DesktopApp::connectCommands() {
    connect(&m_signals, &ApplicationSignals::textsChanged, this, &DesktopApp::retranslate);
    connect(m_window.get(), &MainWindow::activated, this, &DesktopApp::onActivated);
    connect(m_window.get(), &MainWindow::fontsTabShown, m_fonts, &FontsPage::fontsTabShown);
    connect(m_window.get(), &MainWindow::closeRequested, this, &DesktopApp::minimize);
    connect(m_window.get(), &MainWindow::minimizeRequested, this, &DesktopApp::minimize);
    connect(m_general, &GeneralPage::printerSelectionRequested, this, &DesktopApp::choosePrinter);
    connect(m_general, &GeneralPage::schemesRequested, m_schemeEditor,
            &SchemeEditorDialog::openModal);
    m_tray->setPopupMenu(&m_actions.trayMenu());
    connect(m_tray.get(), &TrayIcon::doubleClicked, this, &DesktopApp::restore);
    connect(m_tray.get(), &TrayIcon::messageClicked, this, [this] {
        if (!m_lastPdf.isEmpty())
            QDesktopServices::openUrl(QUrl::fromLocalFile(m_lastPdf));
    });
    connect(&m_actions.open, &QAction::triggered, this, &DesktopApp::restore);
    connect(&m_actions.printFile, &QAction::triggered, this, &DesktopApp::printChosenFile);
    connect(&m_actions.print, &QAction::triggered, this,
            [this] { run([this] { m_session.printQueue(); }); });
    connect(&m_actions.clear, &QAction::triggered, this, [this] { m_session.clearQueue(); });
    connect(&m_actions.stop, &QAction::triggered, this, [this] { m_session.stopJob(); });
    connect(m_jobs.get(), &JobsWindow::stopRequested, this, [this] { m_session.stopJob(); });
    connect(&m_actions.portrait, &QAction::triggered, this,
            [this] { run([this] { m_session.app().setOrientation(Orientation::Portrait); }); });
    connect(&m_actions.landscape, &QAction::triggered, this,
            [this] { run([this] { m_session.app().setOrientation(Orientation::Landscape); }); });
    connect(&m_actions.about, &QAction::triggered, this, &DesktopApp::showAbout);
    connect(&m_actions.jobs, &QAction::triggered, m_jobs.get(), &JobsWindow::showInFront);
    connect(&m_actions.exit, &QAction::triggered, this, &DesktopApp::exitAsked);
    connect(&m_actions, &DesktopActions::initPresetChosen, this, [this](const QString& caption) {
        run([&] { m_session.selectInitString(caption.toStdString()); });
    });
}

void DesktopApp::retranslate() {
    const InterfaceTexts& texts = m_session.app().texts();
    m_qtTexts.use(uiText(texts, TextKey::Locale));
    m_actions.retranslate(texts);
    m_window->retranslate();
    m_tray->setHint(uiText(texts, TextKey::TrayIconHint));
    m_waitingIcon.setToolTip(uiText(texts, TextKey::Print).left(TrayIcon::MaxHint));
}

void DesktopApp::onActivated() {
    if (m_firstActivation) {
        m_firstActivation = false;
        if (m_session.app().settings().Minimize) {
            minimize();
            return;
        }
    }
    m_general->selectCurrentLanguage();
    m_fonts->activate();
}

void DesktopApp::minimize() {
    m_tray->doMinimize();
}

void DesktopApp::restore() {
    m_tray->doRestore();
}

void DesktopApp::exitAsked() {
    if (m_exitQuestion())
        exitNow();
}

void DesktopApp::exitNow() {
    if (m_ended)
        return;
    // The job's loop is on the stack below: it ends first, then the app.
    if (m_printing) {
        m_exitAfterJob = true;
        m_session.stopForExit();
        return;
    }
    m_ended = true;
    m_stateTimer.stop();
    m_queueTimer.stop();
    run([this] { m_session.shutdown(); });
    m_waitingIcon.hide();
    if (m_tray)
        m_tray->removeIcon();
    if (m_window)
        m_window->hide();
    QApplication::exit(0);
}

void DesktopApp::choosePrinter() {
    PrinterSetupDialog dialog(m_window.get());
    dialog.showTexts(m_session.app().texts());
    run([&] {
        dialog.setChoice(m_session.catalog().printers(), m_session.printerName(),
                         m_session.app().settings().Orientation);
    });
    if (dialog.exec() != QDialog::Accepted)
        return;
    run([&] {
        if (dialog.landscape() != m_session.app().settings().Orientation)
            m_session.app().setOrientation(dialog.landscape() ? Orientation::Landscape
                                                              : Orientation::Portrait);
        std::string name = dialog.printer();
        if (!name.empty() && name != m_session.printerName())
            m_session.setPrinter(name);
    });
}

void DesktopApp::pdfWritten(const std::string& path) {
    m_lastPdf = QString::fromStdString(path);
    if (m_tray)
        m_tray->showMessage(QStringLiteral("Marlet"),
                            uiText(m_session.app().texts(), TextKey::PdfWritten) +
                                QLatin1Char('\n') + m_lastPdf);
}

void DesktopApp::printChosenFile() {
    QString path =
        QFileDialog::getOpenFileName(m_window && m_window->isVisible() ? m_window.get() : nullptr);
    if (!path.isEmpty())
        run([&] { m_session.printChosenFile(path.toStdString()); });
}

void DesktopApp::showAbout() {
    const InterfaceTexts& texts = m_session.app().texts();
    QMessageBox about(
        QMessageBox::Information, uiText(texts, TextKey::About).remove(QLatin1Char('&')),
        QStringLiteral("Marlet\n") + uiText(texts, TextKey::TrayIconHint) + QLatin1Char('\n') +
            uiText(texts, TextKey::Version) + QStringLiteral(" " MARLET_VERSION),
        QMessageBox::Ok, m_window && m_window->isVisible() ? m_window.get() : nullptr);
    about.setIconPixmap(Artwork::icon("marlet").pixmap(48, 48));
    about.exec();
}

void DesktopApp::reportError(const std::string& message) {
    m_errorReport(message);
}

void DesktopApp::showWaitingIcon(bool shown) {
    // The main icon stays where a double click finds it; the waiting icon goes beside it.
    if (shown && !m_waitingIcon.isVisible() && m_tray)
        m_tray->keepPlace();
    m_waitingIcon.setVisible(shown);
}

void DesktopApp::armQueueTimer(int milliseconds) {
    if (milliseconds > 0)
        m_queueTimer.start(milliseconds);
    else
        m_queueTimer.stop();
}

void DesktopApp::showFrame(int frame) {
    if (!m_tray)
        return;
    m_tray->showPicture(Artwork::progressFrame(frame));
    // The tray repaints at once; the user's commands wait for whilePrinting().
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void DesktopApp::showPrinting(bool printing) {
    m_printing = printing;
    m_actions.showPrinting(printing);
    if (m_jobs)
        m_jobs->showPrinting(printing);
    if (!printing && m_exitAfterJob)
        QTimer::singleShot(0, this, &DesktopApp::exitNow);
}

void DesktopApp::whilePrinting() {
    // The job runs on this thread: the user may stop it, look at the jobs and change
    // settings for the next one meanwhile.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool DesktopApp::goOnPastPageLimit(int pages) {
    if (m_exitAfterJob)
        return false;
    const InterfaceTexts& texts = m_session.app().texts();
    return askYesNo(m_window && m_window->isVisible() ? m_window.get() : nullptr,
                    QStringLiteral("Marlet"), uiText(texts, TextKey::PageLimitQuestion).arg(pages),
                    texts, QMessageBox::No);
}

void DesktopApp::restoreIcon() {
    if (m_tray)
        m_tray->updateIcon();
}

} // namespace marlet
