#include "app/Application.h"
#include "base/Error.h"
#include "render/TraceDevice.h"
#include "support/FakeDevice.h"
#include "support/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace marlet;
using marlet::testing::FakeDevice;
using marlet::testing::MemorySettingsStore;

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
    EXPECT_EQ(app.queueInterval(), 3000);
    EXPECT_FALSE(store.keyExists(MarletKey));
}

TEST_F(ApplicationTest, TimeOutIsClampedToTheTrackBar) {
    for (auto [stored, interval] : {std::pair{0u, 1000}, std::pair{25u, 10000}}) {
        store.setValue(MarletKey, "TimeOut", std::uint32_t{stored});
        Application app = make();
        app.startUp();
        EXPECT_EQ(app.settings().TimeOut, interval / 1000);
        EXPECT_EQ(app.queueInterval(), interval);
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

TEST_F(ApplicationTest, SaveRightAfterStartUpWritesEveryValue) {
    store.setValue(MarletKey, "End", std::uint32_t{42});
    Application app = make();
    app.startUp();
    app.saveSettings();
    EXPECT_EQ(store.valueNames(MarletKey).size(), 22u);
    EXPECT_EQ(readNumber(store, MarletKey, "End"), 42u);
    EXPECT_EQ(readNumber(store, MarletKey, "TopMargin"), 4u);
}

TEST_F(ApplicationTest, AMissingLanguageFileStopsStartUpWithItsName) {
    store.setValue(MarletKey, "Language", std::string("Klingon"));
    Application app = make();
    try {
        app.startUp();
        FAIL() << "started without a language file";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Cannot open file Klingon.lng");
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
    app.settings().Spool = queue;
    app.PrintOut();
    EXPECT_EQ(app.scheme().name(), "Epson");
    EXPECT_TRUE(printer.canvasFont().style.bold);
    EXPECT_EQ(printer.openDocuments, 1);
    EXPECT_EQ(progress.shown.front(), 0);
    EXPECT_EQ(progress.shown.back(), -1);
    std::filesystem::remove(queue);
}
