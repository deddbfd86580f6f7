#include "app/Application.h"
#include "base/Error.h"
#include "render/TraceDevice.h"
#include "support/FakeDevice.h"
#include "support/MemorySettingsStore.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace marlet;
using marlet::testing::FakeDevice;
using marlet::testing::MemorySettingsStore;
using marlet::testing::messageOf;

namespace {

class RecordedProgress : public ProgressDisplay {
public:
    void showFrame(int frame) override { shown.push_back(frame); }
    void restoreIcon() override { shown.push_back(-1); }
    std::vector<int> shown;
};

// Runs in the shipped data folder, as the programs do with --data-dir.
class ApplicationTest : public ::testing::Test {
protected:
    ApplicationTest() : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(MARLET_DATA_DIR);
    }
    ~ApplicationTest() override { std::filesystem::current_path(m_previous); }

    Application make() {
        return Application(printer, progress, store,
                           [this](const std::string& m) { reports.push_back(m); });
    }

    FakeDevice printer;
    RecordedProgress progress;
    MemorySettingsStore store;
    std::vector<std::string> reports;

private:
    std::filesystem::path m_previous;
};

} // namespace

TEST_F(ApplicationTest, FirstRunTakesEveryDefaultAndTheRussianFiles) {
    Application app = make();
    app.startUp();
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(app.texts()[TextKey::Title], "Настройки печати DOS-консоли");
    EXPECT_EQ(app.codePage().code(0x80), 0x0410);
    EXPECT_TRUE(app.scheme().storedSchemes().empty());
    EXPECT_EQ(app.scheme().name(), "Default");
    EXPECT_EQ(app.settings().TopMargin, 4);
    EXPECT_EQ(app.settings().TimeOut, 3);
    EXPECT_FALSE(store.keyExists(MarletKey));
}

TEST_F(ApplicationTest, TimeOutIsClampedToTheTrackBar) {
    for (auto [stored, seconds] : {std::pair{0u, 1}, std::pair{25u, 10}}) {
        store.setValue(MarletKey, "TimeOut", std::uint32_t{stored});
        Application app = make();
        app.startUp();
        EXPECT_EQ(app.settings().TimeOut, seconds);
    }
}

TEST_F(ApplicationTest, StoredValuesThenOverridesThenTheFilesTheyName) {
    store.setValue(MarletKey, "Language", std::string("English"));
    store.setValue(MarletKey, "CodePage", std::string("437"));
    store.setValue(MarletKey, "Orientation", std::uint32_t{1});
    store.setValue(MarletKey, "FontSize", std::string("big"));
    store.createKey(std::string(MarletKey) + "\\Sequences\\Epson");
    Application app = make();
    app.setOverrides({{"CodePage", "850"}});
    app.startUp();
    EXPECT_EQ(reports, std::vector<std::string>{"Invalid data type for 'FontSize'"});
    EXPECT_EQ(app.texts()[TextKey::TabMain], "General");
    EXPECT_EQ(app.codePage().code(0xB5), 0x00C1); // 850, not 437
    EXPECT_EQ(app.scheme().storedSchemes(), std::vector<std::string>{"Epson"});
    // Landscape: the origin comes from the sheet's top strip, 4 mm is 94 pixels.
    EXPECT_EQ(app.geometry().OriginX, -6);
    EXPECT_EQ(app.figures().charsPerLine, 135); // R((7016 - 94.49 - 100) / 50) - 1
}

TEST_F(ApplicationTest, ASetterStoresItsSettingAtOnceAndTheExitSaveWritesOnlyThose) {
    store.setValue(MarletKey, "End", std::uint32_t{42});
    Application app = make();
    app.startUp();
    app.setInitString("\x1B@");
    app.setSampleFont("Courier New", 12, FontStyle{true, false, false, false});
    // Written when it changed: a run killed now keeps them.
    EXPECT_EQ(readString(store, MarletKey, "InitStr"), "\x1B@");
    EXPECT_EQ(readNumber(store, MarletKey, "FontSize"), 12u);
    EXPECT_EQ(readNumber(store, MarletKey, "FontBold"), 1u);

    // marlet-reg sets other values while the app runs; the exit save leaves them.
    store.setValue(MarletKey, "TimeOut", std::uint32_t{7});
    store.setValue(MarletKey, "LineWrap", std::uint32_t{0});
    store.setValue(MarletKey, "FontSize", std::uint32_t{14});
    app.saveSettings();
    EXPECT_EQ(readNumber(store, MarletKey, "TimeOut"), 7u);
    EXPECT_EQ(readNumber(store, MarletKey, "LineWrap"), 0u);
    EXPECT_EQ(readNumber(store, MarletKey, "End"), 42u);
    // What the app changed itself is its to write back.
    EXPECT_EQ(readNumber(store, MarletKey, "FontSize"), 12u);
    EXPECT_EQ(app.changedSettings(), (std::vector<std::string>{"InitStr", "FontSize", "FontBold"}));
    EXPECT_FALSE(store.value(MarletKey, "TopMargin")) << "defaults are not written";
}

TEST_F(ApplicationTest, AMissingLanguageFileStopsStartUpWithItsName) {
    store.setValue(MarletKey, "Language", std::string("Klingon"));
    Application app = make();
    try {
        app.startUp();
        FAIL() << "started without a language file";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Cannot open file Klingon.lng: No such file or directory");
    }
}

TEST_F(ApplicationTest, ProgressStepsBecomeTrayFramesAndTheIconComesBack) {
    Application app = make();
    for (int step : {0, 7, 15, 16, 255})
        app.UpdateProgress(static_cast<std::uint8_t>(step));
    // The sixteenth step, in the last sixteenth of an odd-sized file, shows the last frame.
    EXPECT_EQ(progress.shown, (std::vector<int>{0, 7, 15, 15, -1}));
}

TEST_F(ApplicationTest, PrintOutFeedsTheQueueFileThroughTheActiveScheme) {
    std::string queue = (std::filesystem::temp_directory_path() /
                         ("marlet-app-" + std::to_string(::getpid()) + ".prn"))
                            .string();
    std::ofstream(queue, std::ios::binary) << "\x1B"
                                              "EX"
                                           << std::string(40, 'y');
    store.setValue(MarletKey, "Sequence", std::string("Epson"));
    store.setValue(std::string(MarletKey) + "\\Sequences\\Epson", "Bold",
                   std::string("\x1B"
                               "E"));
    Application app = make();
    app.startUp();
    app.setSpool(queue);
    app.PrintOut();
    EXPECT_EQ(app.scheme().name(), "Epson");
    EXPECT_TRUE(printer.canvasFont().style.bold);
    EXPECT_EQ(printer.openDocuments, 1);
    EXPECT_EQ(progress.shown.front(), 0);
    EXPECT_EQ(progress.shown.back(), -1);
    std::filesystem::remove(queue);
}

TEST_F(ApplicationTest, MarginsThatLeaveNoLineAreRefusedBeforeAPagePrints) {
    std::string queue = (std::filesystem::temp_directory_path() /
                         ("marlet-margins-" + std::to_string(::getpid()) + ".prn"))
                            .string();
    std::ofstream(queue, std::ios::binary) << "First line\r\nSecond line\r\n";
    Application app = make();
    app.startUp();
    app.measureJob();
    // The largest margins leave exactly one line of one character; a millimetre more none.
    Margins largest = app.largestMargins();
    app.setMargins(largest);
    EXPECT_EQ(app.figures().linesPerPage, 1);
    EXPECT_EQ(app.figures().charsPerLine, 1);
    app.setMargins(Margins{largest.top + 1, largest.left});
    EXPECT_EQ(app.figures().linesPerPage, 0);

    app.setMargins(Margins{400, 4});
    EXPECT_LT(app.figures().linesPerPage, 0);
    // The message counts no lines, not less than none.
    EXPECT_EQ(messageOf([&] { app.printFile(queue); }),
              "The page has no room for a character cell of " +
                  std::to_string(app.geometry().CellWidth) + "x" +
                  std::to_string(app.geometry().LineHeight) + " pixels: it holds " +
                  std::to_string(app.figures().charsPerLine) + " characters by 0 lines");
    EXPECT_EQ(printer.openDocuments, 0) << "no blank pages";
    std::filesystem::remove(queue);
}

namespace {

/// Writes down every change, in the order the application reports it.
class ChangeLog : public ApplicationObserver {
public:
    void settingChanged(std::string_view name) override { changes.emplace_back(name); }
    void figuresChanged() override { changes.emplace_back("figures"); }
    void textsChanged() override { changes.emplace_back("texts"); }
    void printerChanged() override { changes.emplace_back("printer"); }

    std::vector<std::string> changes;
};

using Changes = std::vector<std::string>;

} // namespace

TEST_F(ApplicationTest, SettersRunWhatFollowsAndTellTheObservers) {
    Application app = make();
    app.startUp();
    ChangeLog log;
    app.addObserver(log);

    // A 12-point font gives the figures of the cell a job in it prints with: "@" of the face.
    app.setSampleFont("Courier New", 12, FontStyle{true, false, false, false});
    EXPECT_EQ(log.changes, (Changes{"FontSize", "FontBold", "figures"}));
    EXPECT_EQ(app.geometry().CellWidth, 60);
    EXPECT_EQ(app.geometry().LineHeight, 113);
    EXPECT_EQ(printer.canvasFont().height, -100) << "checksize gave the canvas the sample font";
    EXPECT_TRUE(printer.canvasFont().style.bold);

    log.changes.clear();
    app.setMargins({10, 20});
    EXPECT_EQ(log.changes, (Changes{"TopMargin", "LeftMargin", "figures"}));
    EXPECT_EQ(app.geometry().OriginX, 372); // R(20 / 25.4 * 600) - 100
    EXPECT_EQ(app.geometry().OriginY, 136); // R(10 / 25.4 * 600) - 100

    log.changes.clear();
    app.setOrientation(Orientation::Landscape);
    EXPECT_EQ(log.changes, (Changes{"Orientation", "figures"}));
    EXPECT_EQ(app.figures().charsPerLine, 106); // R((7016 - 472.44 - 100) / 60) - 1

    log.changes.clear();
    app.setLanguage("English");
    EXPECT_EQ(log.changes, (Changes{"texts", "Language"}));
    EXPECT_EQ(app.texts()[TextKey::Title], "DOS console print settings");

    log.changes.clear();
    app.setTimeOut(25);
    app.setTimeOut(10);
    app.setAutoPrint(true);
    app.setCapture(false);
    app.setInitString("\x1B@");
    EXPECT_EQ(log.changes, (Changes{"TimeOut", "Capture", "InitStr"}))
        << "held to 10 seconds; unchanged values tell nobody";
    EXPECT_EQ(app.settings().TimeOut, 10);
    app.removeObserver(log);
    app.setLineWrap(false);
    EXPECT_EQ(log.changes.size(), 3u);
}

TEST_F(ApplicationTest, AFileThatCannotBeLoadedChangesNoName) {
    Application app = make();
    app.startUp();
    ChangeLog log;
    app.addObserver(log);
    EXPECT_EQ(messageOf([&] { app.setLanguage("Klingon"); }),
              "Cannot open file Klingon.lng: No such file or directory");
    EXPECT_EQ(messageOf([&] { app.setCodePage("999"); }),
              "Cannot open file 999.cp: No such file or directory");
    EXPECT_EQ(app.settings().Language, "Русский");
    EXPECT_EQ(app.settings().CodePage, "866");
    EXPECT_EQ(app.texts()[TextKey::TabMain], "Общие");
    EXPECT_TRUE(log.changes.empty());
    app.setCodePage("437");
    EXPECT_EQ(log.changes, Changes{"CodePage"});
    EXPECT_EQ(app.codePage().code(0x80), 0x00C7);
}

TEST_F(ApplicationTest, AnotherPrinterGivesItsOwnFigures) {
    Application app = make();
    app.startUp();
    ChangeLog log;
    app.addObserver(log);
    FakeDevice coarse;
    coarse.dpiX = coarse.dpiY = 300;
    coarse.sheet = {2480, 3508, 50, 50};
    app.setPrinter(coarse);
    EXPECT_EQ(log.changes, (Changes{"printer", "figures"}));
    EXPECT_EQ(&app.printer(), &coarse);
    // The cell stays until a job is measured there: 50 pixels here are 1/6 inch.
    EXPECT_EQ(app.figures().charsPerLine, 47); // R((2480 - 47.24 - 50) / 50) - 1
    EXPECT_EQ(app.geometry().OriginX, -3);     // R(4 / 25.4 * 300) - 50
}
