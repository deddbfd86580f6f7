#pragma once

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QObject>

namespace marlet {

class InterfaceTexts;

/// The commands of the tray menu, which the settings window's buttons share: what they
/// say, their pictures, and whether they can be chosen.
class DesktopActions final : public QObject {
    Q_OBJECT
public:
    explicit DesktopActions(QObject* parent = nullptr);

    /// Takes every caption from the language's texts.
    void retranslate(const InterfaceTexts& texts);
    /// Enables the commands that act on the queue: print it, cancel the job.
    void enableQueueCommands(bool enabled);
    /// While a job prints: "Остановить печать" enabled, and the commands that would start
    /// another job, or take its queue away, held back.
    void showPrinting(bool printing);
    /// Checks the orientation's item and gives "Ориентация" its picture.
    void showOrientation(bool landscape);
    /// Fills "Инициализация" with one item per preset; the item shows only when the
    /// presets key exists.
    void setInitPresets(bool available, const QStringList& names);

    /// The tray menu: the eleven items in their order, "Открыть" the default.
    QMenu& trayMenu() { return m_trayMenu; }

    QAction open;
    QAction printFile;
    QAction print;
    QAction clear;
    QAction stop;
    QAction portrait;
    QAction landscape;
    QAction cancel;
    QAction jobs;
    QAction about;
    QAction exit;

signals:
    /// A preset of "Инициализация" was chosen, by its caption.
    void initPresetChosen(const QString& caption);

private:
    QMenu m_trayMenu;
    QMenu m_orientationMenu;
    QMenu m_initMenu;
    QActionGroup m_orientations{this};
    bool m_queueCommands = false;
    bool m_printing = false;
};

} // namespace marlet
