#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <QTimer>

class QMenu;
class QWidget;

namespace marlet {

/// One icon in the desktop's notification area with a hint, a menu on a right click and
/// the click events, over Qt's tray icon. The menu pops up only while the application's
/// window is hidden; minimising the window hides it into the tray, and restoring shows it.
/// Where the desktop has no notification area the window stays on the taskbar.
class TrayIcon final : public QObject {
    Q_OBJECT
public:
    /// The most a hint shows.
    static constexpr int MaxHint = 63;

    /// Puts icon into the notification area; window is the one that hides into it.
    TrayIcon(const QIcon& icon, QWidget* window, QObject* parent = nullptr);
    ~TrayIcon() override;

    /// Whether the desktop has a notification area to show the icon in.
    static bool available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

    QString hint() const { return m_hint; }
    /// The text shown over the icon; at most its first 63 characters reach the desktop.
    void setHint(const QString& text);
    QIcon icon() const { return m_icon; }
    /// The icon's own picture, shown from now on.
    void setIcon(const QIcon& icon);
    /// Shows another picture in place of the icon's own until updateIcon(): the frames
    /// of a running job.
    void showPicture(const QIcon& picture);
    /// Shows the icon's own picture again.
    void updateIcon();
    /// The menu of a right click; not owned.
    void setPopupMenu(QMenu* menu) { m_menu = menu; }
    /// Takes the icon out of the notification area.
    void removeIcon();
    /// Another icon is about to come in: a notification area that puts new icons before
    /// the old ones moves this one, so for a while an icon that moved is put in again,
    /// which brings it back to where the user knows it.
    void keepPlace();
    /// A message that pops up from the icon for a while; a click on it raises
    /// messageClicked().
    void showMessage(const QString& title, const QString& text);

    /// Hides the window into the notification area and raises minimized().
    void doMinimize();
    /// Shows the window in its restored state and raises restored().
    void doRestore();
    /// Shows the menu at the cursor, if the window is hidden.
    void popupAtCursor();
    /// The icon as Qt holds it, for tests and screenshots.
    const QSystemTrayIcon& systemIcon() const { return m_tray; }

signals:
    /// A left click on the icon.
    void clicked();
    /// A double click on the icon.
    void doubleClicked();
    /// A click on the last message shown.
    void messageClicked();
    /// A right click on the icon, before the menu rule is applied.
    void rightClicked();
    /// The window was hidden into the notification area.
    void minimized();
    /// The window was shown again.
    void restored();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon m_tray;
    QWidget* m_window;
    QMenu* m_menu = nullptr;
    QString m_hint;
    QIcon m_icon;
    QRect m_place;
    QTimer m_placeCheck;
    int m_placeChecks = 0;
};

} // namespace marlet
