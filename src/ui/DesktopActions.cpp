#include "DesktopActions.h"

#include "Artwork.h"
#include "UiText.h"

namespace marlet {

DesktopActions::DesktopActions(QObject* parent) : QObject(parent) {
    open.setIcon(Artwork::icon("open"));
    printFile.setIcon(Artwork::icon("print-file"));
    print.setIcon(Artwork::icon("print"));
    clear.setIcon(Artwork::icon("cancel-job"));
    portrait.setIcon(Artwork::icon("portrait"));
    landscape.setIcon(Artwork::icon("landscape"));
    stop.setIcon(Artwork::icon("stop-printing"));
    jobs.setIcon(Artwork::icon("jobs"));
    cancel.setIcon(Artwork::icon("cancel"));
    about.setIcon(Artwork::icon("marlet"));
    exit.setIcon(Artwork::icon("exit"));
    portrait.setCheckable(true);
    landscape.setCheckable(true);
    portrait.setChecked(true);
    m_orientations.addAction(&portrait);
    m_orientations.addAction(&landscape);
    print.setEnabled(false);
    clear.setEnabled(false);
    stop.setEnabled(false);

    m_orientationMenu.addAction(&portrait);
    m_orientationMenu.addAction(&landscape);
    m_orientationMenu.setIcon(portrait.icon());
    m_initMenu.menuAction()->setVisible(false);

    m_trayMenu.addAction(&open);
    m_trayMenu.setDefaultAction(&open);
    m_trayMenu.addAction(&printFile);
    m_trayMenu.addAction(&print);
    m_trayMenu.addMenu(&m_orientationMenu);
    m_trayMenu.addMenu(&m_initMenu);
    m_trayMenu.addAction(&clear);
    m_trayMenu.addAction(&stop);
    m_trayMenu.addAction(&cancel);
    m_trayMenu.addAction(&jobs);
    m_trayMenu.addAction(&about);
    m_trayMenu.addSeparator();
    m_trayMenu.addAction(&exit);
}

void DesktopActions::retranslate(const InterfaceTexts& texts) {
    auto text = [&](TextKey key) { return uiText(texts, key); };
    open.setText(text(TextKey::MenuOpen));
    printFile.setText(text(TextKey::PrintFile));
    print.setText(text(TextKey::Print));
    clear.setText(text(TextKey::Clear));
    stop.setText(text(TextKey::JobStop));
    portrait.setText(text(TextKey::Portrait));
    landscape.setText(text(TextKey::Landscape));
    cancel.setText(text(TextKey::MenuCancel));
    jobs.setText(text(TextKey::Jobs));
    about.setText(text(TextKey::About));
    exit.setText(text(TextKey::MenuExit));
    m_orientationMenu.setTitle(text(TextKey::Orientation));
    m_initMenu.setTitle(text(TextKey::Initialize));
}

void DesktopActions::enableQueueCommands(bool enabled) {
    m_queueCommands = enabled;
    print.setEnabled(enabled && !m_printing);
    clear.setEnabled(enabled && !m_printing);
}

void DesktopActions::showPrinting(bool printing) {
    m_printing = printing;
    stop.setEnabled(printing);
    printFile.setEnabled(!printing);
    enableQueueCommands(m_queueCommands);
}

void DesktopActions::showOrientation(bool landscapeChosen) {
    QAction& chosen = landscapeChosen ? landscape : portrait;
    chosen.setChecked(true);
    m_orientationMenu.setIcon(chosen.icon());
}

void DesktopActions::setInitPresets(bool available, const QStringList& names) {
    m_initMenu.clear();
    for (const QString& name : names) {
        QAction* item = m_initMenu.addAction(name);
        connect(item, &QAction::triggered, this, [this, name] { emit initPresetChosen(name); });
    }
    m_initMenu.menuAction()->setVisible(available);
}

} // namespace marlet
