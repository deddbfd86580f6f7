#pragma once

#include "ApplicationSignals.h"
#include "DesktopActions.h"
#include "QtTranslations.h"
#include "app/ResidentHost.h"
#include "app/ResidentSession.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace marlet {

class FontsPage;
class GeneralPage;
class JobsWindow;
class MainWindow;
class SchemeEditorDialog;
class TrayIcon;

/// The desktop face of the resident session: the settings window, the tray icon with its
/// menu, the waiting-job icon, the two timers, and message boxes for failures. It holds
/// no print, queue or capture logic of its own.
class DesktopApp final : public QObject, private ResidentHost {
    Q_OBJECT
public:
    /// Shows a failure to the user.
    using ErrorReport = std::function<void(const std::string& message)>;
    /// Asks whether to exit; true for yes.
    using ExitQuestion = std::function<bool()>;

    /// runner prints the jobs.
    DesktopApp(const PrinterCatalog& catalog, SettingsStore& store, JobRunner& runner,
               DriverLocation capture = DriverLocation::standard());
    ~DesktopApp() override;

    /// The marlet-print that draws the jobs window's previews (the one beside this program
    /// by default) and the settings store it reads (its own default when empty). Given
    /// before start().
    void setPreviewPrinter(std::string program, std::string registry) {
        m_previewProgram = std::move(program);
        m_registryPath = std::move(registry);
    }
    /// Message boxes by default; tests answer for the user.
    void setErrorReport(ErrorReport report) { m_errorReport = std::move(report); }
    void setExitQuestion(ExitQuestion question) { m_exitQuestion = std::move(question); }

    /// Start-up in the settings window's order: the session, the window, the tray icon.
    /// A language file that cannot be read fails here, before any window shows.
    void start();
    /// The PDF printer wrote a file: a message from the tray icon names it, and a click on
    /// the message opens it.
    void pdfWritten(const std::string& path);
    /// "Выход": asks, and on yes ends the app.
    void exitAsked();
    /// Ends the app without asking, as SIGTERM and the end of the desktop session do:
    /// the settings saved, capture stopped, the icons taken away, the event loop ended. A
    /// job that prints is stopped first, and the app ends once it has.
    void exitNow();

    ResidentSession& session() { return m_session; }
    MainWindow& window() { return *m_window; }
    GeneralPage& generalPage() { return *m_general; }
    FontsPage& fontsPage() { return *m_fonts; }
    SchemeEditorDialog& schemeEditor() { return *m_schemeEditor; }
    /// "Задания", once start() has made it.
    JobsWindow& jobsWindow() { return *m_jobs; }
    DesktopActions& actions() { return m_actions; }
    /// The tray icon, once start() has put it in.
    TrayIcon* tray() { return m_tray.get(); }
    const QSystemTrayIcon& waitingIcon() const { return m_waitingIcon; }
    const QTimer& queueTimer() const { return m_queueTimer; }

private:
    void reportError(const std::string& message) override;
    void enableQueueCommands(bool enabled) override { m_actions.enableQueueCommands(enabled); }
    void showWaitingIcon(bool shown) override;
    void armQueueTimer(int milliseconds) override;
    void showFrame(int frame) override;
    void restoreIcon() override;
    void showPrinting(bool printing) override;
    void whilePrinting() override;
    bool goOnPastPageLimit(int pages) override;

    void connectCommands();
    void retranslate();
    void onActivated();
    void minimize();
    void restore();
    void choosePrinter();
    void printChosenFile();
    void showAbout();
    template <typename Command>
    void run(Command command);

    QTimer m_queueTimer;
    QTimer m_stateTimer;
    ResidentSession m_session;
    ApplicationSignals m_signals;
    DesktopActions m_actions;
    QSystemTrayIcon m_waitingIcon;
    QtTranslations m_qtTexts;
    GeneralPage* m_general = nullptr;
    FontsPage* m_fonts = nullptr;
    SchemeEditorDialog* m_schemeEditor = nullptr;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<JobsWindow> m_jobs;
    std::string m_previewProgram;
    std::string m_registryPath;
    ErrorReport m_errorReport;
    ExitQuestion m_exitQuestion;
    QString m_lastPdf;
    bool m_firstActivation = true;
    bool m_ended = false;
    bool m_printing = false;
    bool m_exitAfterJob = false;
};

} // namespace marlet
