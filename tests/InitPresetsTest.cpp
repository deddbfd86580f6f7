#include "config/InitPresets.h"
#include "base/Error.h"
#include "support/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace marlet;
using marlet::testing::MemorySettingsStore;

namespace {

// ESC followed by the rest of a sequence, without a hex escape swallowing its letters.
std::string esc(std::string_view rest) {
    return "\x1B" + std::string(rest);
}

std::string selInitFailure(const SettingsStore& store, const std::string& caption) {
    try {
        SelInit(store, caption);
    } catch (const Error& e) {
        return e.what();
    }
    return "selected";
}

struct InitPresetsStored : ::testing::Test {
    MemorySettingsStore store;

    void SetUp() override {
        store.setValue(InitStrKey, "Reset", std::string("\x1B@"));
        store.setValue(InitStrKey, "Draft 17 cpi", std::string("\x1B@\x0F"));
        store.setValue(InitStrKey, "Letter", esc("x1"));
    }
};

} // namespace

TEST(InitPresets, NoKeyHidesTheMenuItem) {
    MemorySettingsStore store;
    const InitPresets presets = readInitPresets(store);
    EXPECT_FALSE(presets.available);
    EXPECT_TRUE(presets.names.empty());
    EXPECT_FALSE(store.keyExists(InitStrKey));
}

TEST(InitPresets, KeyWithoutValuesShowsAnEmptyItem) {
    MemorySettingsStore store;
    store.createKey(InitStrKey);
    const InitPresets presets = readInitPresets(store);
    EXPECT_TRUE(presets.available);
    EXPECT_TRUE(presets.names.empty());
}

TEST_F(InitPresetsStored, NamesInTheOrderTheStoreListsThem) {
    const InitPresets presets = readInitPresets(store);
    EXPECT_TRUE(presets.available);
    EXPECT_EQ(presets.names, (std::vector<std::string>{"Reset", "Draft 17 cpi", "Letter"}));
}

TEST_F(InitPresetsStored, MenuTakesTheFirst256) {
    for (int i = 0; i < 300; ++i)
        store.setValue(InitStrKey, "Preset " + std::to_string(i), std::string("\x1B@"));
    const InitPresets presets = readInitPresets(store);
    ASSERT_EQ(presets.names.size(), 256u);
    EXPECT_EQ(presets.names[2], "Letter");
    EXPECT_EQ(presets.names[255], "Preset 252");
}

TEST_F(InitPresetsStored, SelInitReadsThePresetNamedByTheCaption) {
    EXPECT_EQ(SelInit(store, "Reset"), "\x1B@");
    EXPECT_EQ(SelInit(store, "letter"), esc("x1"));
    EXPECT_EQ(SelInit(store, "Missing"), "");
}

TEST_F(InitPresetsStored, SelInitDropsTheFirstAmpersandOfTheCaption) {
    EXPECT_EQ(SelInit(store, "&Reset"), "\x1B@");
    EXPECT_EQ(SelInit(store, "Draft 17 &cpi"), "\x1B@\x0F");
    store.setValue(InitStrKey, "Fast & quiet", std::string("\x1Bs1"));
    store.setValue(InitStrKey, "A&B", esc("E"));
    EXPECT_EQ(SelInit(store, "Fast && quiet"), "\x1Bs1");
    // The preset's own "&" is lost with the first one, so the name no longer matches.
    EXPECT_EQ(SelInit(store, "A&B"), "");
}

TEST_F(InitPresetsStored, SelInitFailsOnANumber) {
    store.setValue(InitStrKey, "Reset", std::uint32_t{64});
    EXPECT_EQ(selInitFailure(store, "&Reset"), "Invalid data type for 'Reset'");
}

TEST(InitPresets, SelInitWithoutKeyGivesEmptyString) {
    MemorySettingsStore store;
    EXPECT_EQ(SelInit(store, "&Reset"), "");
    EXPECT_FALSE(store.keyExists(InitStrKey));
}
