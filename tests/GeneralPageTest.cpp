// The settings window's general page offscreen: what it shows, what its controls change,
// and that every caption fits in both languages.

#include "ui/GeneralPage.h"
#include "support/FakeCatalog.h"
#include "support/InProcessJobs.h"
#include "support/MemorySettingsStore.h"
#include "support/TempFolder.h"
#include "ui/DesktopApp.h"
#include "ui/MainWindow.h"
#include "ui/PrinterSetupDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace marlet;
using namespace marlet::testing;
namespace fs = std::filesystem;

namespace {

QString plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

// Every caption of the window and its general page as it reads, by the control's place in
// the widget tree.
QStringList captions(MainWindow& window, QWidget& page) {
    QStringList found{window.windowTitle()};
    for (QAbstractButton* button : page.findChildren<QAbstractButton*>())
        if (!button->text().isEmpty())
            found << plain(button->text());
    for (QGroupBox* group : page.findChildren<QGroupBox*>())
        found << group->title();
    for (QLabel* label : page.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            found << label->text();
    for (int i = 0; i < window.tabs().count(); ++i)
        found << plain(window.tabs().tabText(i));
    return found;
}

// A control is cut when it is narrower or lower than what its text needs.
QStringList cutControls(QWidget& window) {
    QStringList cut;
    auto check = [&](QWidget* control, const QString& text) {
        // Dialogs of the window are checked by their own tests.
        if (control->window() != &window)
            return;
        QSize needed = control->minimumSizeHint().expandedTo(control->sizeHint());
        if (control->isVisibleTo(&window) && !text.isEmpty() &&
            (needed.width() > control->width() || needed.height() > control->height()))
            cut << QStringLiteral("%1 (%2x%3, needs %4x%5)")
                       .arg(text)
                       .arg(control->width())
                       .arg(control->height())
                       .arg(needed.width())
                       .arg(needed.height());
    };
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        check(button, button->text());
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored)
            check(label, label->text());
    for (QGroupBox* group : window.findChildren<QGroupBox*>()) {
        if (group->window() != &window)
            continue;
        int title = group->fontMetrics().horizontalAdvance(group->title()) + 8;
        if (title > group->width())
            cut << group->title();
    }
    return cut;
}

void screenshot(QWidget& window, const QString& name) {
    QString folder = QStringLiteral(MARLET_BINARY_DIR "/screenshots");
    fs::create_directories(folder.toStdString());
    EXPECT_TRUE(window.grab().save(folder + "/" + name + ".png"));
}

// Runs in the shipped data folder, as the programs do with --data-dir.
class GeneralPageTest : public ::testing::Test {
protected:
    GeneralPageTest() : m_previous(fs::current_path()) {
        fs::current_path(MARLET_DATA_DIR);
        store.setValue(MarletKey, "Capture", std::uint32_t{0});
        store.setValue(MarletKey, "Minimize", std::uint32_t{0});
        store.setValue(MarletKey, "Spool", folder.file("prnspl"));
        app.setErrorReport([this](const std::string& message) { errors.push_back(message); });
        app.start();
        QApplication::processEvents();
    }
    ~GeneralPageTest() override { fs::current_path(m_previous); }

    template <typename Control>
    Control* control(const QString& caption) {
        for (Control* found : app.window().findChildren<Control*>())
            if (plain(found->text()) == caption)
                return found;
        ADD_FAILURE() << "no control " << caption.toStdString();
        return nullptr;
    }

    TempFolder folder;
    MemorySettingsStore store;
    FakeCatalog catalog;
    InProcessJobs jobs;
    DesktopApp app{catalog, store, jobs, DriverLocation{}};
    std::vector<std::string> errors;

private:
    fs::path m_previous;
};

} // namespace

TEST_F(GeneralPageTest, TheWindowIsFixedAndEveryCaptionFitsInBothLanguages) {
    MainWindow& window = app.window();
    EXPECT_EQ(window.size(), QSize(577, 269));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "no resizing, no maximise";
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::CustomizeWindowHint)
        << "else a window manager adds the maximise box";
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Настройки печати DOS-консоли"));
    EXPECT_TRUE(cutControls(window).isEmpty()) << cutControls(window).join(", ").toStdString();
    screenshot(window, "window-general-ru");
    window.tabs().setCurrentIndex(1);
    screenshot(window, "window-fonts-ru");
    window.tabs().setCurrentIndex(0);
    QStringList russian = captions(window, app.generalPage());

    auto* language = window.findChild<QComboBox*>(QStringLiteral("language"));
    ASSERT_NE(language, nullptr);
    int english = language->findText(QStringLiteral("English"));
    ASSERT_GE(english, 0);
    language->setCurrentIndex(english);
    emit language->activated(english);
    EXPECT_EQ(app.session().app().settings().Language, "English");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("DOS console print settings"));
    QStringList changed = captions(window, app.generalPage());
    ASSERT_EQ(changed.size(), russian.size());
    for (int i = 0; i < russian.size(); ++i) {
        // Names that are not texts of the language stay: the list's own label, the printer.
        if (russian[i] != QStringLiteral("Interface language") &&
            russian[i] != QStringLiteral("Office")) {
            EXPECT_NE(changed[i], russian[i]) << russian[i].toStdString();
        }
    }
    EXPECT_TRUE(cutControls(window).isEmpty()) << cutControls(window).join(", ").toStdString();
    QStringList menu;
    for (QAction* item : app.actions().trayMenu().actions())
        menu << item->text();
    EXPECT_TRUE(menu.contains(QStringLiteral("Initialization"))) << menu.join(", ").toStdString();
    screenshot(window, "window-general-en");
    window.tabs().setCurrentIndex(1);
    screenshot(window, "window-fonts-en");
}

TEST_F(GeneralPageTest, ControlsChangeTheSettingsAndShowChangesMadeElsewhere) {
    const Settings& settings = app.session().app().settings();
    auto* slider = app.window().findChild<QSlider*>();
    slider->setValue(7);
    EXPECT_EQ(settings.TimeOut, 7);
    EXPECT_EQ(app.queueTimer().interval(), SpoolMonitor::QueuePeriod)
        << "the queue monitor counts the time-out itself";
    QStringList labels;
    for (QLabel* label : app.window().findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("7 сек")));

    control<QCheckBox>(QStringLiteral("Автоматическая печать"))->click();
    EXPECT_FALSE(settings.AutoPrint);
    control<QCheckBox>(QStringLiteral("Запускать свернутый"))->click();
    EXPECT_TRUE(settings.Minimize);

    control<QRadioButton>(QStringLiteral("альбомная"))->click();
    EXPECT_TRUE(settings.Orientation);
    EXPECT_TRUE(app.actions().landscape.isChecked()) << "the tray menu follows";
    app.actions().portrait.trigger();
    EXPECT_FALSE(settings.Orientation);
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("книжная"))->isChecked());

    app.session().app().setLineWrap(false);
    EXPECT_FALSE(control<QCheckBox>(QStringLiteral("Переносить длинные строки"))->isChecked());
    app.session().app().setTimeOut(2);
    EXPECT_EQ(slider->value(), 2);
    EXPECT_TRUE(errors.empty());
}

TEST_F(GeneralPageTest, QueueCommandsFollowTheQueueFile) {
    QPushButton* print = control<QPushButton>(QStringLiteral("Распечатать"));
    EXPECT_FALSE(print->isEnabled());
    std::ofstream(folder.file("prnspl"), std::ios::binary) << "Queued\r\n";
    app.session().stateTick();
    EXPECT_TRUE(print->isEnabled());
    EXPECT_TRUE(app.actions().clear.isEnabled());
    print->click();
    EXPECT_EQ(catalog.printed["Office"], Jobs{"Queued"});
    EXPECT_FALSE(print->isEnabled());
    EXPECT_FALSE(fs::exists(folder.file("prnspl")));
}

TEST_F(GeneralPageTest, SelectOffersThePrintersAndTheOrientationOnly) {
    QStringList offered;
    int numberBoxes = -1;
    // The dialog is modal: the test answers it from the event loop it runs.
    auto answer = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            QWidget* shown = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<PrinterSetupDialog*>(shown);
            if (dialog) {
                auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
                offered.clear();
                for (int i = 0; printers && i < printers->count(); ++i)
                    offered << printers->itemText(i);
                numberBoxes = static_cast<int>(dialog->findChildren<QSpinBox*>().size());
                if (printers)
                    printers->setCurrentIndex(1);
                for (QRadioButton* side : dialog->findChildren<QRadioButton*>())
                    if (plain(side->text()) == QStringLiteral("альбомная"))
                        side->setChecked(true);
            }
            if (accept && dialog)
                dialog->accept();
            else if (shown)
                shown->close();
        });
        control<QPushButton>(QStringLiteral("Выбрать"))->click();
    };
    answer(false);
    EXPECT_EQ(offered, (QStringList{"Office", "Label"}));
    EXPECT_EQ(numberBoxes, 0) << "no copies, no page range";
    EXPECT_EQ(app.session().printerName(), "Office") << "a cancelled choice changes nothing";
    EXPECT_FALSE(app.session().app().settings().Orientation);
    answer(true);
    EXPECT_EQ(app.session().printerName(), "Label");
    EXPECT_TRUE(app.session().app().settings().Orientation);
    EXPECT_TRUE(control<QRadioButton>(QStringLiteral("альбомная"))->isChecked());
    EXPECT_TRUE(errors.empty());
}

TEST_F(GeneralPageTest, QtsOwnDialogsSpeakTheInterfaceLanguage) {
    // The standard buttons of the file and printer dialogs, as Qt words them.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Перейти к:"));
    auto* language = app.window().findChild<QComboBox*>(QStringLiteral("language"));
    ASSERT_NE(language, nullptr);
    int english = language->findText(QStringLiteral("English"));
    language->setCurrentIndex(english);
    emit language->activated(english);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

TEST_F(GeneralPageTest, TheNewerVersionsLabelAndThePrintHintAreThere) {
    auto* newVersion = app.window().findChild<QLabel*>(QStringLiteral("newVersion"));
    ASSERT_NE(newVersion, nullptr);
    EXPECT_EQ(newVersion->text(), QStringLiteral("Более новые версии:"));
    EXPECT_TRUE(newVersion->isVisibleTo(&app.window()));
    EXPECT_EQ(control<QPushButton>(QStringLiteral("Распечатать"))->toolTip(),
              QStringLiteral("Распечатать"));
}

TEST_F(GeneralPageTest, AboutTellsTheVersionInTheInterfaceLanguage) {
    EXPECT_EQ(app.actions().about.text(), QStringLiteral("О программе"));
    QList<QAction*> items = app.actions().trayMenu().actions();
    EXPECT_EQ(items.indexOf(&app.actions().about) + 2, items.indexOf(&app.actions().exit))
        << "above the separator and the exit";
    QString title, text;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            text = box->text();
            box->accept();
        }
    });
    app.actions().about.trigger();
    EXPECT_EQ(title, QStringLiteral("О программе"));
    EXPECT_EQ(text, QStringLiteral("Marlet\nПоддержка печати DOS-консоли\nВерсия " MARLET_VERSION));
}

TEST_F(GeneralPageTest, EnterPressesTheFocusedButton) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* shown = QApplication::activeModalWidget()) {
            opened = true;
            shown->close();
        }
    });
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(control<QPushButton>(QStringLiteral("Последовательности")), &enter);
    EXPECT_TRUE(opened) << "the scheme editor opened";
}
