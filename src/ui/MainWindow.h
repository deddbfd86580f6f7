#pragma once

#include <QWidget>

class QTabWidget;

namespace marlet {

class ResidentSession;

/// The settings window: a fixed 577 x 269 client area with the "Общие" and "Шрифты" tabs,
/// captioned with the language's `Title`. Its close box hides it instead of closing it.
class MainWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 577;
    static constexpr int ClientHeight = 269;

    MainWindow(ResidentSession& session, QWidget* general, QWidget* fonts);

    /// Takes the caption and the tab names from the language's texts.
    void retranslate();
    /// Shows the window centred on its screen, as it comes up the first time.
    void showCentred();
    QTabWidget& tabs() { return *m_tabs; }

signals:
    /// The window became the active one.
    void activated();
    /// The close box or the system menu asked to close the window.
    void closeRequested();
    /// The window was minimised.
    void minimizeRequested();
    /// The fonts tab came to the front.
    void fontsTabShown();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    ResidentSession& m_session;
    QTabWidget* m_tabs;
};

/// The interface font of the settings window and its dialogs: the desktop's own face at
/// 8 points, so that every caption of the Windows-sized window fits.
QFont settingsWindowFont();

} // namespace marlet
