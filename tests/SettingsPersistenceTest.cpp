#include "config/SettingsPersistence.h"
#include "config/SqliteSettingsStore.h"
#include "support/MemorySettingsStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace marlet;
using marlet::testing::MemorySettingsStore;

namespace {

std::vector<std::string> restoreInto(const SettingsStore& store, Settings& settings) {
    std::vector<std::string> reports;
    restoreStoredSettings(store, settings, [&](const std::string& m) { reports.push_back(m); });
    return reports;
}

} // namespace

TEST(SettingsPersistence, NoKeyKeepsEveryDefault) {
    MemorySettingsStore store;
    Settings settings;
    EXPECT_TRUE(restoreInto(store, settings).empty());
    EXPECT_EQ(settings.TimeOut, 3);
    EXPECT_TRUE(settings.AutoPrint);
    EXPECT_EQ(settings.FontName, "Courier New");
    EXPECT_EQ(settings.FontSize, 10);
    EXPECT_EQ(settings.Language, "Русский");
    EXPECT_EQ(settings.CodePage, "866");
    EXPECT_TRUE(settings.Capture);
    EXPECT_EQ(settings.InitStr, "");
    EXPECT_FALSE(store.keyExists(MarletKey));
}

TEST(SettingsPersistence, AFailingValueIsReportedAndTheRestStillRead) {
    MemorySettingsStore store;
    store.setValue(MarletKey, "TimeOut", std::string("five"));
    store.setValue(MarletKey, "LineWrap", std::uint32_t{0});
    store.setValue(MarletKey, "End", std::uint32_t{300});
    store.setValue(MarletKey, "FontSize", std::uint32_t{12});
    store.setValue(MarletKey, "Language", std::string("English"));
    Settings settings;
    EXPECT_EQ(restoreInto(store, settings),
              (std::vector<std::string>{"Invalid data type for 'TimeOut'", "Range check error"}));
    EXPECT_EQ(settings.TimeOut, 3);
    EXPECT_FALSE(settings.LineWrap);
    EXPECT_EQ(settings.End, 0);
    EXPECT_EQ(settings.FontSize, 12);
    EXPECT_EQ(settings.Language, "English");
}

TEST(SettingsPersistence, StylesAreOnlyEverAdded) {
    MemorySettingsStore store;
    store.setValue(MarletKey, "FontBold", std::uint32_t{0});
    store.setValue(MarletKey, "FontItalic", std::uint32_t{1});
    Settings settings;
    settings.FontBold = true;
    restoreInto(store, settings);
    EXPECT_TRUE(settings.FontBold);
    EXPECT_TRUE(settings.FontItalic);
}

TEST(SettingsPersistence, SaveWritesAllTwentyFiveValuesInTableOrder) {
    MemorySettingsStore store;
    Settings settings;
    settings.Language = "Русский";
    settings.InitStr = "\x1B@\x1B"
                       "E";
    settings.End = 7;
    saveStoredSettings(store, settings);
    std::vector<std::string> expected;
    for (const SettingField& field : settingFields())
        expected.push_back(field.name);
    ASSERT_EQ(expected.size(), 25u);
    EXPECT_EQ(store.valueNames(MarletKey), expected);
    EXPECT_EQ(readNumber(store, MarletKey, "TimeOut"), 3u);
    EXPECT_EQ(readNumber(store, MarletKey, "Orientation"), 0u);
    EXPECT_EQ(readNumber(store, MarletKey, "End"), 7u);
    // Text as a Russian Windows keeps it; the printer bytes as they are.
    EXPECT_EQ(readString(store, MarletKey, "Language"), "\xD0\xF3\xF1\xF1\xEA\xE8\xE9");
    EXPECT_EQ(readString(store, MarletKey, "InitStr"), "\x1B@\x1B"
                                                       "E");

    Settings again;
    again.Language = "";
    restoreInto(store, again);
    EXPECT_EQ(again.Language, "Русский");
    EXPECT_EQ(again.InitStr, settings.InitStr);
    EXPECT_EQ(again.Spool, settings.Spool);
}

TEST(SettingsPersistence, TextThatWindows1251CannotHoldStaysUtf8) {
    EXPECT_EQ(textToStore("/home/ivan/Очередь/漢.prn"), "/home/ivan/Очередь/漢.prn");
    EXPECT_EQ(textFromStore("/home/ivan/Очередь/漢.prn"), "/home/ivan/Очередь/漢.prn");
    EXPECT_EQ(textToStore("Courier New"), "Courier New");
    EXPECT_EQ(textFromStore("\xC0\xC1"), "АБ");
}

TEST(SettingsPersistence, AProcessKilledWhileSavingLeavesOldOrNewValuesNeverAMixture) {
    TempFolder folder;
    const std::string path = folder.file("registry.db");
    Settings first;
    Settings second;
    second.TimeOut = 9;
    second.AutoPrint = false;
    second.FontName = "Liberation Mono";
    second.FontSize = 14;
    second.End = 200;
    second.InitStr = "\x1BP12";
    {
        SqliteSettingsStore store(path);
        saveStoredSettings(store, first);
    }
    for (int round = 0; round < 3; ++round) {
        pid_t child = fork();
        if (child == 0) {
            SqliteSettingsStore store(path);
            for (int i = 0;; ++i)
                saveStoredSettings(store, i % 2 ? first : second);
        }
        usleep(30000 + 17000 * round);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        SqliteSettingsStore store(path);
        Settings read;
        restoreInto(store, read);
        const Settings& expected = read.TimeOut == 9 ? second : first;
        EXPECT_EQ(read.AutoPrint, expected.AutoPrint);
        EXPECT_EQ(read.FontName, expected.FontName);
        EXPECT_EQ(read.FontSize, expected.FontSize);
        EXPECT_EQ(read.End, expected.End);
        EXPECT_EQ(read.InitStr, expected.InitStr);
        EXPECT_EQ(store.valueNames(MarletKey).size(), 25u);
    }
}
