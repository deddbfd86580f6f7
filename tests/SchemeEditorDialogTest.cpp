// The scheme editor over an application in the shipped data folder: what it shows, what it
// writes to the store and when, and that what it applies is what the next job prints with.

#include "SchemeEditorDialog.h"
#include "EscapeLineEdit.h"
#include "SequenceCellDelegate.h"
#include "SequenceGrid.h"
#include "app/Application.h"
#include "config/FileBytes.h"
#include "config/RegFileReader.h"
#include "config/SqliteSettingsStore.h"
#include "support/FakeDevice.h"
#include "support/MemorySettingsStore.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

using namespace marlet;
using marlet::testing::FakeDevice;
using marlet::testing::MemorySettingsStore;
namespace fs = std::filesystem;

namespace {

const std::string Epson = "Epson ESC-P 9-pin";
const std::string EpsonKey = std::string(SequencesKey) + "\\" + Epson;

class NoProgress : public ProgressDisplay {
public:
    void showFrame(int) override {}
    void restoreIcon() override {}
};

// An Epson scheme with its twenty sequences filled in, as a user's own scheme has them (the
// shipped one leaves them to its printer language).
void importEpson(SettingsStore& store) {
    const std::string file = MARLET_TEST_DATA "/reg/epson-escp-9pin-sequences.reg";
    RegFileReader::import(store, *readFileBytes(file), file);
}

void press(QWidget* widget, int key, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &event);
}

std::string stored(const SettingsStore& store, const std::string& key, const std::string& name) {
    return readString(store, key, name).value_or("<absent>");
}

/// An application started up over a store, and its scheme editor.
class Editor {
public:
    explicit Editor(SettingsStore& store, const std::string& language = "Русский")
        : app(printer, progress, store, [this](const std::string& m) { errors.push_back(m); }),
          dialog(app, [this](const std::string& m) { errors.push_back(m); }) {
        app.startUp();
        app.setLanguage(language);
    }

    /// What opening does, without the modal loop.
    void open() {
        app.LoadSequences();
        dialog.activate();
        dialog.show();
    }

    QComboBox* list() { return dialog.findChild<QComboBox*>("schemeList"); }
    SequenceGrid* grid() { return dialog.findChild<SequenceGrid*>("sequenceGrid"); }
    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(name); }
    EscapeLineEdit* initField() { return dialog.findChild<EscapeLineEdit*>("initField"); }
    QLineEdit* nameField() { return dialog.findChild<QLineEdit*>("nameField"); }

    QStringList schemes() {
        QStringList names;
        for (int i = 0; i < list()->count(); ++i)
            names << list()->itemText(i);
        return names;
    }
    void choose(const QString& name) {
        int index = list()->findText(name);
        list()->setCurrentIndex(index);
        emit list()->activated(index);
    }
    void add(const QString& name) {
        nameField()->clear();
        nameField()->insert(name.isEmpty() ? QStringLiteral("x") : name);
        if (name.isEmpty())
            nameField()->backspace();
        button("addButton")->click();
    }
    /// Types keys over a row's sequence cell as the user does: F2 opens the cell (ESC on
    /// the grid itself would close the dialog), the typing replaces what it held.
    void typeInto(int row, const std::vector<std::pair<int, QString>>& keys) {
        grid()->setCurrentCell(row, SequenceCellDelegate::SequenceColumn);
        press(grid(), Qt::Key_F2, QString());
        auto* editor = qobject_cast<EscapeLineEdit*>(grid()->indexWidget(grid()->currentIndex()));
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        for (const auto& [key, text] : keys)
            press(editor, key, text);
    }
    QStringList cells() {
        QStringList texts;
        for (int row = 0; row < 20; ++row)
            texts << grid()->sequence(row);
        return texts;
    }
    /// Types a name into the name field and presses Rename.
    void rename(const QString& name) {
        nameField()->clear();
        nameField()->insert(name);
        button("renameButton")->click();
    }
    /// Presses Delete and gives the question that answer; false when no question came.
    bool deleteAnswering(QMessageBox::StandardButton answer) {
        bool asked = false;
        QTimer::singleShot(0, &dialog, [&] {
            auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!question)
                return;
            asked = true;
            questionText = question->text();
            question->button(answer)->click();
        });
        button("deleteButton")->click();
        QApplication::processEvents();
        return asked;
    }
    QString closeText() { return button("closeButton")->text(); }
    bool applyEnabled() { return button("applyButton")->isEnabled(); }

    FakeDevice printer;
    NoProgress progress;
    std::vector<std::string> errors;
    QString questionText;
    Application app;
    SchemeEditorDialog dialog;
};

// Runs in the shipped data folder, as the programs do with --data-dir.
class SchemeEditorDialogTest : public ::testing::Test {
protected:
    SchemeEditorDialogTest() : m_previous(fs::current_path()) {
        fs::current_path(MARLET_DATA_DIR);
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    }
    ~SchemeEditorDialogTest() override { fs::current_path(m_previous); }

    MemorySettingsStore store;
    TempFolder folder;

private:
    fs::path m_previous;
};

} // namespace

TEST_F(SchemeEditorDialogTest, WithNoStoredSchemesDefaultIsShownReadOnly) {
    Editor editor(store);
    editor.open();
    EXPECT_EQ(editor.dialog.width(), 427);
    EXPECT_GE(editor.dialog.height(), 454);
    EXPECT_EQ(editor.dialog.minimumSize(), editor.dialog.maximumSize());
    EXPECT_EQ(editor.dialog.windowTitle(), "Esc-Последовательности");
    EXPECT_EQ(editor.schemes(), QStringList({"Default", "No sequences"}));
    EXPECT_EQ(editor.list()->currentText(), "Default");
    EXPECT_FALSE(editor.grid()->editingEnabled());
    const QStringList cells = editor.cells();
    EXPECT_EQ(cells[0], "\x1b"
                        "B");
    EXPECT_EQ(cells[10], "\x1bP10");
    EXPECT_EQ(cells[17], "\x1bOP");
    for (int row : {8, 9, 12, 13})
        EXPECT_EQ(cells[row], "") << row;
    EXPECT_FALSE(editor.applyEnabled());
    EXPECT_EQ(editor.closeText(), "Закрыть");
    EXPECT_FALSE(editor.button("addButton")->isEnabled());
    EXPECT_TRUE(editor.errors.empty());

    // Captions follow the language at each showing.
    editor.dialog.hide();
    editor.app.setLanguage("English");
    editor.open();
    EXPECT_EQ(editor.dialog.windowTitle(), "Esc-Sequences");
    EXPECT_EQ(editor.dialog.findChild<QGroupBox*>("codesGroup")->title(), "Codes");
    EXPECT_EQ(editor.dialog.findChild<QLabel*>("initLabel")->text(), "Initialization");
    EXPECT_EQ(editor.closeText(), "Close");
}

TEST_F(SchemeEditorDialogTest, NoSequencesAppliedWritesOnlyTheActiveName) {
    importEpson(store);
    Editor editor(store);
    editor.open();
    EXPECT_EQ(editor.schemes(),
              QStringList({QString::fromStdString(Epson), "Default", "No sequences"}));
    editor.choose("No sequences");
    EXPECT_EQ(editor.cells(), QStringList(20, QString()));
    EXPECT_FALSE(editor.grid()->editingEnabled());
    EXPECT_TRUE(editor.applyEnabled());
    EXPECT_EQ(editor.closeText(), "Отмена");

    editor.button("applyButton")->click();
    EXPECT_EQ(stored(store, MarletKey, "Sequence"), "No sequences");
    EXPECT_EQ(store.subkeys(SequencesKey), std::vector<std::string>{Epson});
    EXPECT_EQ(stored(store, EpsonKey, "Bold"), "\x1b"
                                               "E");
    EXPECT_FALSE(editor.applyEnabled());
    EXPECT_EQ(editor.closeText(), "Закрыть");

    // The next showing selects what was applied, with nothing changed yet.
    editor.dialog.hide();
    editor.open();
    EXPECT_EQ(editor.list()->currentText(), "No sequences");
    EXPECT_FALSE(editor.applyEnabled());
    EXPECT_TRUE(editor.errors.empty());
}

TEST_F(SchemeEditorDialogTest, EscThenBInTheBoldCellStoresTwentySevenSixtySix) {
    importEpson(store);
    store.setValue(MarletKey, "Sequence", std::string("epson esc-p 9-PIN"));
    Editor editor(store);
    editor.open();
    // "Sequence" finds its scheme without regard to case; a stored scheme can be typed into.
    EXPECT_EQ(editor.list()->currentIndex(), 0);
    EXPECT_TRUE(editor.grid()->editingEnabled());
    EXPECT_EQ(editor.grid()->sequence(2), "\x1b"
                                          "4");
    EXPECT_FALSE(editor.applyEnabled());

    editor.typeInto(0, {{Qt::Key_Escape, "\x1b"}, {Qt::Key_B, "B"}});
    EXPECT_EQ(editor.grid()->sequence(0), "\x7f"
                                          "B");
    EXPECT_EQ(SequenceCellDelegate::pieces(editor.grid()->sequence(0)),
              (std::vector<SequencePiece>{{"[#27]", true}, {"B", false}}));
    EXPECT_TRUE(editor.applyEnabled());
    EXPECT_EQ(editor.closeText(), "Отмена");
    // Applied while the cell is still being typed into: the typing counts.
    editor.button("applyButton")->click();

    EXPECT_EQ(stored(store, EpsonKey, "Bold"), std::string("\x1b\x42"));
    EXPECT_EQ(stored(store, EpsonKey, "Italic"), "\x1b"
                                                 "4");
    EXPECT_EQ(stored(store, EpsonKey, "Condenced"), "\x0f");
    // The twenty sequences, and the scheme's printer language, which the editor leaves be.
    EXPECT_EQ(store.valueNames(EpsonKey).size(), 21u);
    EXPECT_EQ(stored(store, EpsonKey, "Language"), "ESC/P");
    EXPECT_EQ(stored(store, MarletKey, "Sequence"), Epson);
    EXPECT_TRUE(editor.errors.empty());
}

TEST_F(SchemeEditorDialogTest, AnEmptyOrListedNameIsRefusedWithAMessage) {
    importEpson(store);
    const std::string empty = "Введите имя схемы.";
    const std::string taken = "Схема с таким именем уже есть в списке.";
    const std::pair<QString, std::string> cases[] = {{"", empty},
                                                     {"   ", empty},
                                                     {"EPSON esc-p 9-pin", taken},
                                                     {"epson ESC-P 9-PIN", taken},
                                                     {"Default", taken},
                                                     {"No sequences", taken}};
    for (const auto& [name, message] : cases) {
        Editor editor(store);
        editor.open();
        editor.add(name);
        EXPECT_EQ(editor.errors, std::vector<std::string>{message}) << name.toStdString();
        EXPECT_EQ(editor.schemes(),
                  QStringList({QString::fromStdString(Epson), "Default", "No sequences"}));
        EXPECT_EQ(editor.list()->currentText(), "Default");
        EXPECT_FALSE(editor.applyEnabled());
        EXPECT_EQ(editor.nameField()->text(), name) << "the name stays to be corrected";
    }
    EXPECT_EQ(store.subkeys(SequencesKey), std::vector<std::string>{Epson});
    std::vector<std::string> names = store.valueNames(MarletKey);
    EXPECT_EQ(std::ranges::count(names, std::string("Sequence")), 0);
}

TEST_F(SchemeEditorDialogTest, ANewSchemeHasItsKeyAtOnceAndItsSequencesAtApply) {
    Editor editor(store);
    editor.open();
    editor.add("Laser");
    EXPECT_TRUE(store.keyExists(std::string(SequencesKey) + "\\Laser"));
    EXPECT_TRUE(store.valueNames(std::string(SequencesKey) + "\\Laser").empty());
    EXPECT_EQ(editor.list()->currentText(), "Laser");
    editor.typeInto(4, {{Qt::Key_Escape, "\x1b"}, {Qt::Key_Minus, "-"}, {Qt::Key_1, "1"}});
    editor.button("applyButton")->click();
    EXPECT_EQ(stored(store, std::string(SequencesKey) + "\\Laser", "Underline"), "\x1b-1");
    EXPECT_EQ(stored(store, MarletKey, "Sequence"), "Laser");

    // Close drops what was not applied.
    editor.typeInto(0, {{Qt::Key_X, "X"}});
    editor.choose("No sequences");
    editor.button("closeButton")->click();
    EXPECT_FALSE(editor.dialog.isVisible());
    EXPECT_EQ(stored(store, MarletKey, "Sequence"), "Laser");
    EXPECT_EQ(stored(store, std::string(SequencesKey) + "\\Laser", "Bold"), "");
    editor.open();
    EXPECT_EQ(editor.list()->currentText(), "Laser");
    EXPECT_EQ(editor.grid()->sequence(0), "");
    EXPECT_EQ(editor.grid()->sequence(4), "\x1b-1");
}

TEST_F(SchemeEditorDialogTest, OnlyTheInitialisationFieldChangedAndClosedIsInEffect) {
    Editor editor(store);
    editor.open();
    editor.nameField()->insert("Laser");
    ASSERT_TRUE(editor.button("addButton")->isEnabled());

    press(editor.initField(), Qt::Key_Escape, "\x1b");
    press(editor.initField(), Qt::Key_At, "@");
    EXPECT_EQ(editor.initField()->text(), "\x7f@");
    EXPECT_TRUE(editor.applyEnabled());
    EXPECT_EQ(editor.closeText(), "Отмена");
    EXPECT_FALSE(editor.button("addButton")->isEnabled());

    editor.button("closeButton")->click();
    EXPECT_EQ(editor.app.settings().InitStr, "\x1b@");
    EXPECT_EQ(editor.initField()->text(), "\x1b@");
    // No scheme was applied; the string, a setting of its own, is stored as it changes.
    EXPECT_FALSE(store.value(MarletKey, "Sequence"));
    EXPECT_EQ(stored(store, MarletKey, "InitStr"), "\x1b@");
}

TEST_F(SchemeEditorDialogTest, OpeningRefreshesTheSchemesAndFillsTheInitialisationField) {
    Editor editor(store);
    editor.app.setInitString("\x1b@\x1bx1");
    importEpson(store);
    QStringList shown;
    QString init;
    bool modal = false;
    QTimer::singleShot(0, &editor.dialog, [&] {
        shown = editor.schemes();
        init = editor.initField()->text();
        modal = editor.dialog.isModal() && editor.dialog.isVisible();
        editor.button("closeButton")->click();
    });
    editor.dialog.openModal();
    EXPECT_TRUE(modal);
    EXPECT_EQ(shown, QStringList({QString::fromStdString(Epson), "Default", "No sequences"}));
    EXPECT_EQ(init, "\x1b@\x1bx1");
    EXPECT_EQ(editor.app.settings().InitStr, "\x1b@\x1bx1");
}

TEST_F(SchemeEditorDialogTest, ASequenceNamingAGoneSchemeSelectsNothing) {
    store.setValue(MarletKey, "Sequence", std::string("Gone"));
    Editor editor(store);
    editor.open();
    EXPECT_EQ(editor.list()->currentIndex(), -1);
    EXPECT_EQ(editor.cells(), QStringList(20, QString()));
    EXPECT_FALSE(editor.grid()->editingEnabled());
    EXPECT_FALSE(editor.applyEnabled());

    // Applying with nothing picked keeps the name the store holds.
    press(editor.initField(), Qt::Key_A, "A");
    editor.button("applyButton")->click();
    EXPECT_EQ(stored(store, MarletKey, "Sequence"), "Gone");
    EXPECT_FALSE(editor.applyEnabled());
}

TEST_F(SchemeEditorDialogTest, AValueOfTheWrongTypeIsReportedAndTheRowsBeforeItShow) {
    importEpson(store);
    store.setValue(EpsonKey, "Italic", std::uint32_t{4});
    Editor editor(store);
    editor.open();
    editor.choose(QString::fromStdString(Epson));
    EXPECT_EQ(editor.errors, std::vector<std::string>{"Invalid data type for 'Italic'"});
    EXPECT_EQ(editor.grid()->sequence(0), "\x1b"
                                          "E");
}

TEST_F(SchemeEditorDialogTest, AWriteRefusedHalfWayLeavesTheStoreAsItWas) {
    const std::string path = folder.file("registry.db");
    {
        SqliteSettingsStore setup(path);
        importEpson(setup);
        setup.setValue(MarletKey, "Sequence", Epson);
    }
    // The disk refuses the third value of the batch.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(
            db,
            "CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN CAST(NEW.name AS TEXT) = 'Italic'"
            " BEGIN SELECT RAISE(ABORT, 'disk full'); END",
            nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    SqliteSettingsStore sqlite(path);
    Editor editor(sqlite);
    editor.open();
    editor.add("Laser");
    editor.typeInto(0, {{Qt::Key_Escape, "\x1b"}, {Qt::Key_B, "B"}});
    editor.button("applyButton")->click();
    EXPECT_EQ(editor.errors, std::vector<std::string>{"Failed to set data for 'Italic'"});
    EXPECT_EQ(stored(sqlite, MarletKey, "Sequence"), Epson);
    EXPECT_TRUE(sqlite.valueNames(std::string(SequencesKey) + "\\Laser").empty());
    EXPECT_TRUE(editor.applyEnabled());
    EXPECT_EQ(editor.closeText(), "Отмена");
}

TEST_F(SchemeEditorDialogTest, AReadOnlyStoreReportsTheFirstWrite) {
    const std::string path = folder.file("registry.db");
    {
        SqliteSettingsStore setup(path);
        importEpson(setup);
    }
    SqliteSettingsStore readOnly(path, SqliteSettingsStore::Access::ReadOnly);
    Editor editor(readOnly);
    editor.open();
    editor.choose(QString::fromStdString(Epson));
    editor.button("applyButton")->click();
    EXPECT_EQ(editor.errors, std::vector<std::string>{"Failed to set data for 'Sequence'"});
    EXPECT_FALSE(readOnly.value(MarletKey, "Sequence"));
    EXPECT_TRUE(editor.applyEnabled());
}

TEST_F(SchemeEditorDialogTest, NoCaptionIsCutInEitherLanguage) {
    for (const char* language : {"Русский", "English"}) {
        Editor editor(store, language);
        editor.open();
        auto fits = [&](QWidget* widget, const QString& caption, int decoration) {
            QString text = caption;
            text.remove('&');
            const int needed = widget->fontMetrics().horizontalAdvance(text) + decoration;
            EXPECT_LE(needed, widget->width()) << language << ": " << text.toStdString();
        };
        const QStyle* style = editor.dialog.style();
        const int buttonDecoration = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin) +
                                          style->pixelMetric(QStyle::PM_DefaultFrameWidth));
        for (QPushButton* button : editor.dialog.findChildren<QPushButton*>())
            fits(button, button->text(), buttonDecoration);
        const InterfaceTexts& texts = editor.app.texts();
        fits(editor.button("closeButton"), QString::fromStdString(texts[TextKey::Cancel]),
             buttonDecoration);
        fits(editor.button("closeButton"), QString::fromStdString(texts[TextKey::Close]),
             buttonDecoration);
        for (QLabel* label : editor.dialog.findChildren<QLabel*>())
            fits(label, label->text(), 0);
        // A group's title sits in from the frame's corner.
        for (QGroupBox* group : editor.dialog.findChildren<QGroupBox*>())
            fits(group, group->title(), 16);
        // Every row label, each in its own style, after its two-pixel inset.
        const QFont plain = editor.grid()->font();
        for (int row = 0; row < 20; ++row) {
            QFontMetrics metrics(SequenceCellDelegate::labelFont(plain, row));
            EXPECT_LE(metrics.horizontalAdvance(editor.grid()->item(row, 0)->text()) + 2,
                      editor.grid()->columnWidth(0) - 1)
                << row;
        }
        // The grid sits inside its group and the dialog, both columns whole.
        const QRect grid(editor.grid()->mapTo(&editor.dialog, QPoint(0, 0)), editor.grid()->size());
        EXPECT_TRUE(editor.dialog.rect().contains(grid)) << language;
        EXPECT_TRUE(editor.grid()->parentWidget()->rect().contains(editor.grid()->geometry()));
        EXPECT_EQ(editor.grid()->horizontalHeader()->length(), editor.grid()->viewport()->width());
        EXPECT_GE(editor.grid()->columnWidth(1), 280) << language;
    }
}

TEST_F(SchemeEditorDialogTest, ScreenshotsWithTheEpsonSchemeInBothLanguages) {
    importEpson(store);
    store.setValue(MarletKey, "Sequence", Epson);
    const fs::path shots = fs::path(MARLET_BINARY_DIR) / "screenshots";
    fs::create_directories(shots);
    for (const auto& [language, file] : {std::pair{"Русский", "scheme-editor-ru.png"},
                                         std::pair{"English", "scheme-editor-en.png"}}) {
        Editor editor(store, language);
        editor.app.setInitString("\x1b@");
        QImage image;
        QTimer::singleShot(0, &editor.dialog, [&] {
            image = editor.dialog.grab().toImage();
            editor.dialog.reject();
        });
        editor.dialog.openModal();
        ASSERT_EQ(image.width(), 427);
        ASSERT_TRUE(image.save(QString::fromStdString((shots / file).string())));
    }
}

TEST_F(SchemeEditorDialogTest, ASchemeMadeInTheEditorPrintsBoldInTheNextJob) {
    const std::string registry = folder.file("registry.db");
    SqliteSettingsStore sqlite(registry);
    importEpson(sqlite);
    Editor editor(sqlite);
    editor.open();
    editor.add("Office laser");
    editor.typeInto(0, {{Qt::Key_Escape, "\x1b"},
                        {Qt::Key_ParenLeft, "("},
                        {Qt::Key_S, "s"},
                        {Qt::Key_3, "3"},
                        {Qt::Key_B, "B"}});
    editor.typeInto(1, {{Qt::Key_Escape, "\x1b"},
                        {Qt::Key_ParenLeft, "("},
                        {Qt::Key_S, "s"},
                        {Qt::Key_0, "0"},
                        {Qt::Key_B, "B"}});
    editor.button("applyButton")->click();
    ASSERT_TRUE(editor.errors.empty());

    const std::string job = folder.file("job.prn");
    std::ofstream(job, std::ios::binary) << "plain \x1b(s3Bbold\x1b(s0B plain\r\n";
    const std::string trace = folder.file("trace.txt");
    const std::string command =
        "cd '" + folder.file("") + "' && HOME='" + folder.file("") +
        "' '" MARLET_BINARY_DIR "/marlet-print' --data-dir '" MARLET_DATA_DIR "' --registry '" +
        registry + "' --trace '" + trace + "' -o out.pdf '" + job + "' 2>stderr";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    std::ostringstream lines;
    lines << std::ifstream(trace).rdbuf();
    EXPECT_NE(lines.str().find("weight=700"), std::string::npos) << lines.str();
    // The sequences were taken, not printed: no "(" reached the page.
    EXPECT_EQ(lines.str().find("U+0028"), std::string::npos) << lines.str();

    // The running application's next job loads the same scheme.
    editor.app.printFile(job);
    EXPECT_EQ(editor.app.scheme().name(), "Office laser");
    EXPECT_EQ(editor.app.scheme().entry(SchemeEntry::Bold), "\x1b(s3B");
}

TEST_F(SchemeEditorDialogTest, AllTwentyRowsShowAndTheEditorOpensAtTheTop) {
    Editor editor(store);
    editor.open();
    SequenceGrid& grid = *editor.grid();
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 0) << "nothing to scroll to";
    for (int row : {0, 16, 17, 18, 19})
        EXPECT_LE(grid.rowViewportPosition(row) + grid.rowHeight(row), grid.viewport()->height())
            << row;
    EXPECT_LE(editor.dialog.height(), 600) << "the dialog still fits a small screen";
    // A grid left scrolled down opens at its top.
    grid.verticalScrollBar()->setMaximum(100);
    grid.verticalScrollBar()->setValue(60);
    editor.dialog.reject();
    editor.open();
    EXPECT_EQ(grid.verticalScrollBar()->value(), 0);
}

TEST_F(SchemeEditorDialogTest, AStoredSchemeIsDeletedAfterAYesAndDefaultTakesItsPlaceInForce) {
    importEpson(store);
    store.createKey(std::string(SequencesKey) + "\\Laser");
    store.setValue(MarletKey, "Sequence", Epson);
    Editor editor(store);
    editor.open();
    ASSERT_EQ(editor.list()->currentText(), QString::fromStdString(Epson));

    // "No" keeps everything.
    EXPECT_TRUE(editor.deleteAnswering(QMessageBox::No));
    EXPECT_EQ(editor.questionText,
              "Удалить схему «Epson ESC-P 9-pin» со всеми её последовательностями?");
    EXPECT_EQ(store.subkeys(SequencesKey), (std::vector<std::string>{Epson, "Laser"}));
    EXPECT_EQ(editor.schemes().size(), 4);

    // "Yes" removes the key at once; the scheme in force becomes Default and shows.
    EXPECT_TRUE(editor.deleteAnswering(QMessageBox::Yes));
    EXPECT_EQ(store.subkeys(SequencesKey), std::vector<std::string>{"Laser"});
    EXPECT_EQ(stored(store, MarletKey, "Sequence"), "Default");
    EXPECT_EQ(editor.schemes(), QStringList({"Laser", "Default", "No sequences"}));
    EXPECT_EQ(editor.list()->currentText(), "Default");
    EXPECT_EQ(editor.grid()->sequence(0), "\x1b"
                                          "B");
    EXPECT_FALSE(editor.applyEnabled()) << "nothing is left to apply";

    // A scheme not in force goes without touching the active name.
    editor.choose("Laser");
    EXPECT_TRUE(editor.deleteAnswering(QMessageBox::Yes));
    EXPECT_TRUE(store.subkeys(SequencesKey).empty());
    EXPECT_EQ(editor.schemes(), QStringList({"Default", "No sequences"}));
    EXPECT_TRUE(editor.errors.empty());

    // The next job prints under Default, not under a scheme that is gone.
    editor.app.LoadSequences();
    EXPECT_EQ(editor.app.scheme().name(), "Default");
}

TEST_F(SchemeEditorDialogTest, BuiltInSchemesAreNeitherDeletedNorRenamedAndSayWhy) {
    const std::string why = "Встроенную схему нельзя удалить или переименовать.";
    for (const char* name : {"Default", "No sequences"}) {
        Editor editor(store);
        editor.open();
        editor.choose(name);
        EXPECT_FALSE(editor.deleteAnswering(QMessageBox::Yes)) << "no question is asked";
        editor.rename("Mine");
        EXPECT_EQ(editor.errors, (std::vector<std::string>{why, why})) << name;
        EXPECT_EQ(editor.schemes(), QStringList({"Default", "No sequences"}));
        EXPECT_EQ(editor.nameField()->text(), "Mine");
        EXPECT_TRUE(store.subkeys(SequencesKey).empty());
    }

    // With no scheme picked (the one in force is gone) there is nothing to delete.
    store.setValue(MarletKey, "Sequence", std::string("Gone"));
    Editor editor(store);
    editor.open();
    EXPECT_FALSE(editor.button("deleteButton")->isEnabled());
    editor.nameField()->insert("Mine");
    emit editor.nameField()->textEdited("Mine");
    EXPECT_TRUE(editor.button("addButton")->isEnabled());
    EXPECT_FALSE(editor.button("renameButton")->isEnabled());
    editor.choose("Default");
    EXPECT_TRUE(editor.button("deleteButton")->isEnabled());
    EXPECT_TRUE(editor.button("renameButton")->isEnabled()) << "to say why it cannot be";
}

TEST_F(SchemeEditorDialogTest, RenamingTakesTheTypedNameAsAddingDoesAndTheActiveNameFollows) {
    importEpson(store);
    store.createKey(std::string(SequencesKey) + "\\Laser");
    store.setValue(MarletKey, "Sequence", Epson);
    Editor editor(store);
    editor.open();
    EXPECT_FALSE(editor.button("renameButton")->isEnabled()) << "until a name is typed";

    // Refused as Add refuses: empty, or another listed scheme in any case.
    for (const auto& [name, message] : {std::pair<QString, std::string>{"  ", "Введите имя схемы."},
                                        {"laser", "Схема с таким именем уже есть в списке."},
                                        {"default", "Схема с таким именем уже есть в списке."}}) {
        editor.errors.clear();
        editor.rename(name);
        EXPECT_EQ(editor.errors, std::vector<std::string>{message}) << name.toStdString();
        EXPECT_EQ(store.subkeys(SequencesKey), (std::vector<std::string>{Epson, "Laser"}));
    }

    // An edit not yet applied stays in the grid and is applied under the new name.
    editor.errors.clear();
    editor.typeInto(0, {{Qt::Key_X, "X"}});
    editor.rename("Office printer");
    EXPECT_TRUE(editor.errors.empty());
    EXPECT_EQ(store.subkeys(SequencesKey), (std::vector<std::string>{"Laser", "Office printer"}));
    EXPECT_EQ(stored(store, MarletKey, "Sequence"), "Office printer");
    const std::string key = std::string(SequencesKey) + "\\Office printer";
    EXPECT_EQ(stored(store, key, "Bold"), "\x1b"
                                          "E")
        << "the stored sequences moved, the typed one is not applied yet";
    EXPECT_EQ(editor.schemes(),
              QStringList({"Laser", "Office printer", "Default", "No sequences"}));
    EXPECT_EQ(editor.list()->currentText(), "Office printer");
    EXPECT_EQ(editor.nameField()->text(), "");
    EXPECT_FALSE(editor.button("renameButton")->isEnabled());
    EXPECT_EQ(editor.grid()->sequence(0), "X");
    EXPECT_TRUE(editor.applyEnabled());
    editor.button("applyButton")->click();
    EXPECT_EQ(stored(store, key, "Bold"), "X");

    // Its own name in another case is a rename, not a clash.
    editor.rename("OFFICE PRINTER");
    EXPECT_TRUE(editor.errors.empty());
    EXPECT_EQ(store.subkeys(SequencesKey), (std::vector<std::string>{"Laser", "OFFICE PRINTER"}));
    EXPECT_EQ(editor.list()->currentText(), "OFFICE PRINTER");
    EXPECT_EQ(stored(store, MarletKey, "Sequence"), "OFFICE PRINTER");
}
