#include "ResidentSession.h"

#include "base/Error.h"

#include <algorithm>
#include <unistd.h>
#include <utility>

namespace marlet {

namespace {

// The capture driver notifies this window number after its timed writes.
std::uint32_t windowNumber() {
    return static_cast<std::uint32_t>(getpid());
}

} // namespace

ResidentSession::ResidentSession(const PrinterCatalog& catalog, SettingsStore& store,
                                 ResidentHost& host, JobRunner& runner, DriverLocation capture)
    : m_catalog(catalog), m_host(host), m_runner(runner), m_printerName(catalog.defaultPrinter()),
      m_printer(catalog.open(m_printerName)),
      m_app(*m_printer, host, store,
            [&host](const std::string& message) { host.reportError(message); }),
      m_monitor(m_app.settings(), *this), m_capture(windowNumber(), std::move(capture)) {
    m_app.addObserver(*this);
}

ResidentSession::~ResidentSession() {
    m_app.removeObserver(*this);
}

void ResidentSession::startUp() {
    m_app.startUp();
    // A service slow to come up on a busy machine is tried again, as after a crash.
    if (m_app.settings().Capture)
        startOrRetryCapture();
    m_app.measureJob();
    m_presets = readInitPresets(m_app.store());
    m_host.armQueueTimer(SpoolMonitor::QueuePeriod);
}

void ResidentSession::shutdown() {
    m_capture.stop();
    m_app.saveSettings();
    m_printer->close();
}

void ResidentSession::selectInitString(const std::string& caption) {
    m_app.setInitString(SelInit(m_app.store(), caption));
}

void ResidentSession::setPrinter(const std::string& name) {
    // The application measures on the new printer before the old one is let go.
    std::unique_ptr<PageDevice> previous = std::exchange(m_printer, m_catalog.open(name));
    m_printerName = name;
    m_app.setPrinter(*m_printer);
    m_app.measureJob();
    previous->close();
}

int ResidentSession::captureConnection() {
    CaptureClient* client = m_capture.device();
    return client ? client->fd() : -1;
}

void ResidentSession::takeCaptureNotices() {
    if (CaptureClient* client = m_capture.device(); client && !client->takeNotifications())
        captureLost();
}

void ResidentSession::stateTick() {
    m_monitor.stateTick();
    if (m_capture.running()) {
        m_upFor = std::min(m_upFor + 1, MaxRestartDelay);
        // A face that does not watch the connection still learns of the end here.
        takeCaptureNotices();
    } else if (m_restartIn > 0 && --m_restartIn == 0) {
        startOrRetryCapture();
    }
}

bool ResidentSession::captureHoldsBytes() {
    CaptureClient* client = m_capture.device();
    if (!client)
        return false;
    try {
        return client->heldBytes() > 0;
    } catch (const Error&) {
        // A service that does not answer holds nothing it could still write.
        return false;
    }
}

void ResidentSession::captureLost() {
    // The dead connection stays readable for ever: it is let go, so no loop spins on it.
    m_capture.stop();
    m_host.reportError("The capture service has stopped; it will be started again");
    // A service that keeps dying soon after its start is tried less and less often.
    if (m_upFor >= MaxRestartDelay)
        m_restartDelay = FirstRestartDelay;
    scheduleRestart();
}

void ResidentSession::startOrRetryCapture() {
    if (!startCapture()) {
        m_restartFailureShown = true;
        scheduleRestart();
    }
}

void ResidentSession::scheduleRestart() {
    m_restartIn = m_restartDelay;
    m_restartDelay = std::min(m_restartDelay * 2, MaxRestartDelay);
}

void ResidentSession::printFile(const std::string& path) {
    m_host.showPrinting(true);
    try {
        m_runner.print(path, m_printerName, m_app);
    } catch (...) {
        m_host.showPrinting(false);
        throw;
    }
    m_host.showPrinting(false);
}

void ResidentSession::settingChanged(std::string_view name) {
    // A new time-out needs no new timer: the queue monitor reads it at every tick.
    if (name == "Capture") {
        m_restartIn = 0;
        m_restartDelay = FirstRestartDelay;
        m_restartFailureShown = false;
        if (m_app.settings().Capture)
            startCapture();
        else
            m_capture.stop();
    } else if (name == "Spool" && m_capture.running()) {
        // The driver appends to the file it was given: it starts again on the new one.
        m_capture.stop();
        startOrRetryCapture();
    }
}

bool ResidentSession::startCapture() {
    // A capture that cannot start is reported (once while it is retried); the switch keeps
    // what the user gave it.
    try {
        m_capture.start(m_app.settings().Spool);
        m_upFor = 0;
        m_restartFailureShown = false;
        return true;
    } catch (const std::exception& e) {
        if (!m_restartFailureShown)
            m_host.reportError(e.what());
        return false;
    }
}

} // namespace marlet
