#pragma once

#include "app/Application.h"
#include "app/JobRunner.h"
#include "app/ResidentHost.h"
#include "capture/CaptureSwitch.h"
#include "capture/SpoolHost.h"
#include "capture/SpoolMonitor.h"
#include "config/InitPresets.h"
#include "devices/PrinterCatalog.h"

#include <memory>
#include <string>

namespace marlet {

/// The resident app without its face: the application on the default printer, the queue
/// monitor and the capture switch, brought up in start-up order and taken down at exit.
/// The face supplies the clock (it calls the two ticks as its timers fire) and the host;
/// the desktop app and `marlet --headless` drive the same session.
class ResidentSession : private SpoolHost, private ApplicationObserver {
public:
    /// Opens the catalog's default printer, on which the grid is measured; runner prints
    /// the jobs. capture says where the capture driver is.
    ResidentSession(const PrinterCatalog& catalog, SettingsStore& store, ResidentHost& host,
                    JobRunner& runner, DriverLocation capture = DriverLocation::standard());
    ~ResidentSession() override;
    ResidentSession(const ResidentSession&) = delete;
    ResidentSession& operator=(const ResidentSession&) = delete;

    /// Start-up after the windows exist: the settings restored, capture started when it is
    /// on (a failure is reported and start-up goes on), the geometry, the initialisation
    /// presets and the queue timer armed.
    void startUp();
    /// Exit: capture stopped (the driver writes what it holds), the settings saved, the
    /// printer's output completed.
    void shutdown();

    /// The queue timer fired.
    void queueTick() { m_monitor.queueTick(); }
    /// The state timer (every SpoolMonitor::StateInterval ms) fired: also notices a capture
    /// service that ended and starts it again when its back-off has passed.
    void stateTick();
    /// "Распечатать" / "Печать".
    void printQueue() { m_monitor.printQueue(); }
    /// "Очистить очередь" / "Отменить задание".
    void clearQueue() { m_monitor.clearQueue(); }
    /// "Распечатать файл": prints a chosen file; the queue is left alone.
    void printChosenFile(const std::string& path) { m_monitor.printChosenFile(path); }
    /// "Остановить печать": the job that prints stops before its next page.
    void stopJob() { m_runner.cancel(); }
    /// The app ends: the job that prints stops before its next page, and no other starts;
    /// the queue keeps them for the next run.
    void stopForExit() {
        m_monitor.hold();
        m_runner.cancel();
    }
    /// A left click on the waiting-job icon.
    void waitingIconClicked() { m_monitor.waitingIconClicked(); }
    /// An item of the "Инициализация" menu: the preset of that caption becomes the
    /// initialisation string.
    void selectInitString(const std::string& caption);

    /// Jobs go to the named printer of the catalog until the end of the run.
    void setPrinter(const std::string& name);
    const std::string& printerName() const { return m_printerName; }
    const PrinterCatalog& catalog() const { return m_catalog; }
    /// The presets read at start-up.
    const InitPresets& initPresets() const { return m_presets; }

    /// The capture driver's connection while capture runs, else -1: readable when the
    /// driver has sent notices or the service has ended.
    int captureConnection();
    /// Reads the driver's notices; their default handling is to ignore them, since the
    /// queue timer finds the job. A connection the service closed is reported and let go,
    /// and the service is started again after a back-off (see stateTick()).
    void takeCaptureNotices();

    /// State ticks from the end of the capture service to the first try to start it again;
    /// each end soon after a start doubles it, up to MaxRestartDelay.
    static constexpr int FirstRestartDelay = 1000 / SpoolMonitor::StateInterval;
    static constexpr int MaxRestartDelay = 64 * FirstRestartDelay;

    Application& app() { return m_app; }
    const Application& app() const { return m_app; }

private:
    void printFile(const std::string& path) override;
    void reportError(const std::string& message) override { m_host.reportError(message); }
    void setQueueInterval(int milliseconds) override { m_host.armQueueTimer(milliseconds); }
    void enableQueueCommands(bool enabled) override { m_host.enableQueueCommands(enabled); }
    void showWaitingIcon(bool shown) override { m_host.showWaitingIcon(shown); }
    bool captureHoldsBytes() override;

    void settingChanged(std::string_view name) override;
    bool startCapture();
    void captureLost();
    /// Starts capture; one that cannot start is tried again later, less and less often.
    void startOrRetryCapture();
    void scheduleRestart();

    const PrinterCatalog& m_catalog;
    ResidentHost& m_host;
    JobRunner& m_runner;
    std::string m_printerName;
    std::unique_ptr<PageDevice> m_printer;
    Application m_app;
    SpoolMonitor m_monitor;
    CaptureSwitch m_capture;
    InitPresets m_presets;
    // Capture's recovery, counted in state ticks: until the next try (0: none due), the
    // back-off of the one after, and how long the service has run since its start.
    int m_restartIn = 0;
    int m_restartDelay = FirstRestartDelay;
    int m_upFor = 0;
    bool m_restartFailureShown = false;
};

} // namespace marlet
