// The tray icon component offscreen: its hint, its picture and the menu rule.

#include "ui/TrayIcon.h"
#include "ui/Artwork.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

using namespace marlet;

TEST(TrayIconTest, TheHintReachesTheDesktopCutTo63Characters) {
    QWidget window;
    TrayIcon tray(Artwork::icon("marlet"), &window);
    QString hint(70, QLatin1Char('x'));
    tray.setHint(hint);
    EXPECT_EQ(tray.hint(), hint);
    EXPECT_EQ(tray.systemIcon().toolTip(), hint.left(63));
    tray.setHint(QString());
    EXPECT_TRUE(tray.systemIcon().toolTip().isEmpty());
}

TEST(TrayIconTest, AJobsPicturesStandInForTheIconUntilItIsUpdated) {
    QWidget window;
    QIcon own = Artwork::icon("marlet");
    TrayIcon tray(own, &window);
    QIcon frame = Artwork::progressFrame(7);
    tray.showPicture(frame);
    EXPECT_EQ(tray.systemIcon().icon().cacheKey(), frame.cacheKey());
    EXPECT_EQ(tray.icon().cacheKey(), own.cacheKey()) << "the icon's own picture stays";
    tray.updateIcon();
    EXPECT_EQ(tray.systemIcon().icon().cacheKey(), own.cacheKey());
    EXPECT_NE(Artwork::progressFrame(0).pixmap(32).toImage(),
              Artwork::progressFrame(15).pixmap(32).toImage());
}

TEST(TrayIconTest, TheMenuPopsUpOnlyWhileTheWindowIsHiddenAndRestoreShowsIt) {
    QWidget window;
    QMenu menu;
    menu.addAction(QStringLiteral("Выход"));
    TrayIcon tray(Artwork::icon("marlet"), &window);
    tray.setPopupMenu(&menu);
    QSignalSpy restored(&tray, &TrayIcon::restored);
    window.show();
    tray.popupAtCursor();
    EXPECT_FALSE(menu.isVisible());
    window.hide();
    tray.popupAtCursor();
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    tray.doRestore();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(restored.count(), 1);
}
