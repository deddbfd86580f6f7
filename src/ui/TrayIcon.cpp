#include "TrayIcon.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace marlet {

namespace {

// How long and how often an icon looks whether a newcomer moved it.
constexpr int PlaceCheckInterval = 100;
constexpr int PlaceChecks = 15;

} // namespace

TrayIcon::TrayIcon(const QIcon& icon, QWidget* window, QObject* parent)
    : QObject(parent), m_window(window), m_icon(icon) {
    m_tray.setIcon(icon);
    connect(&m_tray, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
    m_placeCheck.setInterval(PlaceCheckInterval);
    connect(&m_placeCheck, &QTimer::timeout, this, [this] {
        // The area docks the newcomer in its own time: watch for a second.
        if (m_tray.geometry() != m_place) {
            m_placeCheck.stop();
            m_tray.hide();
            m_tray.show();
        } else if (--m_placeChecks == 0) {
            m_placeCheck.stop();
        }
    });
    connect(&m_tray, &QSystemTrayIcon::messageClicked, this, &TrayIcon::messageClicked);
    m_tray.show();
}

TrayIcon::~TrayIcon() {
    removeIcon();
}

void TrayIcon::setHint(const QString& text) {
    if (text == m_hint)
        return;
    m_hint = text;
    m_tray.setToolTip(text.left(MaxHint));
}

void TrayIcon::setIcon(const QIcon& icon) {
    if (icon.cacheKey() == m_icon.cacheKey())
        return;
    m_icon = icon;
    updateIcon();
}

void TrayIcon::showPicture(const QIcon& picture) {
    m_tray.setIcon(picture);
}

void TrayIcon::updateIcon() {
    m_tray.setIcon(m_icon);
}

void TrayIcon::removeIcon() {
    m_tray.hide();
}

void TrayIcon::keepPlace() {
    if (!m_tray.isVisible() || !available())
        return;
    m_place = m_tray.geometry();
    m_placeChecks = PlaceChecks;
    m_placeCheck.start();
}

void TrayIcon::showMessage(const QString& title, const QString& text) {
    m_tray.showMessage(title, text, m_icon);
}

void TrayIcon::doMinimize() {
    // With no notification area to come back from, the window stays on the taskbar.
    if (available())
        m_window->hide();
    else
        m_window->showMinimized();
    emit minimized();
}

void TrayIcon::doRestore() {
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
    emit restored();
}

void TrayIcon::popupAtCursor() {
    if (m_menu && !m_window->isVisible())
        m_menu->popup(QCursor::pos());
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit clicked();
        break;
    case QSystemTrayIcon::DoubleClick:
    case QSystemTrayIcon::MiddleClick:
        emit doubleClicked();
        break;
    case QSystemTrayIcon::Context:
        emit rightClicked();
        popupAtCursor();
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}

} // namespace marlet
