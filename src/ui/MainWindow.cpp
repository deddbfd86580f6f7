#include "MainWindow.h"

#include "Artwork.h"
#include "UiText.h"
#include "app/ResidentSession.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace marlet {

QFont settingsWindowFont() {
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

MainWindow::MainWindow(ResidentSession& session, QWidget* general, QWidget* fonts)
    // Without CustomizeWindowHint window managers add the maximise box the window lacks.
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      m_session(session), m_tabs(new QTabWidget) {
    setFont(settingsWindowFont());
    setWindowIcon(Artwork::icon("marlet"));
    m_tabs->addTab(general, QString());
    m_tabs->addTab(fonts, QString());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_tabs);
    setFixedSize(ClientWidth, ClientHeight);
    // Enter presses the focused button, as Space does.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1)
            emit fontsTabShown();
    });
    retranslate();
}

void MainWindow::retranslate() {
    const InterfaceTexts& texts = m_session.app().texts();
    setWindowTitle(uiText(texts, TextKey::Title));
    m_tabs->setTabText(0, uiText(texts, TextKey::TabMain));
    m_tabs->setTabText(1, uiText(texts, TextKey::TabFonts));
}

void MainWindow::showCentred() {
    QRect screen =
        (this->screen() ? this->screen() : QApplication::primaryScreen())->availableGeometry();
    move(screen.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    show();
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        emit activated();
    return QWidget::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The app stays resident: closing only puts it away into the notification area.
    event->ignore();
    emit closeRequested();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        // Hiding from inside the state change confuses some window managers.
        QTimer::singleShot(0, this, &MainWindow::minimizeRequested);
}

} // namespace marlet
