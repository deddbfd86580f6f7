// Deleting and renaming a stored scheme: the keys that go and come, and the active name.

#include "config/StoredSchemes.h"
#include "config/ActiveScheme.h"
#include "config/SchemeEntry.h"
#include "support/MemorySettingsStore.h"

#include <gtest/gtest.h>

using namespace marlet;
using marlet::testing::MemorySettingsStore;

namespace {

using Names = std::vector<std::string>;

std::string active(const SettingsStore& store) {
    return readString(store, MarletKey, "Sequence").value_or("<absent>");
}

/// Two schemes, "Laser" active with a bold string, a language and a subkey of its own.
MemorySettingsStore twoSchemes() {
    MemorySettingsStore store;
    store.setValue(storedSchemeKey("Laser"), "Bold", std::string("\x1b(s3B"));
    store.setValue(storedSchemeKey("Laser"), "Language", std::string("PCL"));
    store.setValue(storedSchemeKey("Laser") + "\\Notes", "Tray", std::uint32_t{2});
    store.createKey(storedSchemeKey("Dot matrix"));
    store.setValue(MarletKey, "Sequence", std::string("laser"));
    return store;
}

} // namespace

TEST(StoredSchemesTest, DeletingTheActiveSchemeMakesDefaultActiveAndAnotherLeavesItAlone) {
    MemorySettingsStore store = twoSchemes();
    deleteStoredScheme(store, "Dot matrix");
    EXPECT_EQ(store.subkeys(SequencesKey), Names{"Laser"});
    EXPECT_EQ(active(store), "laser") << "another scheme's deletion keeps the active one";

    deleteStoredScheme(store, "LASER");
    EXPECT_TRUE(store.subkeys(SequencesKey).empty()) << "names match without regard to case";
    EXPECT_FALSE(store.keyExists(storedSchemeKey("Laser") + "\\Notes"));
    EXPECT_EQ(active(store), "Default");

    MemorySettingsStore none;
    none.createKey(storedSchemeKey("Laser"));
    deleteStoredScheme(none, "Laser");
    EXPECT_TRUE(none.valueNames(MarletKey).empty()) << "no Sequence value is made";
}

TEST(StoredSchemesTest, RenamingMovesEveryValueAndSubkeyAndTheActiveNameFollows) {
    const struct {
        std::string from;
        std::string to;
        Names schemes;
        std::string active;
    } cases[] = {
        {"Laser", "Office laser", {"Dot matrix", "Office laser"}, "Office laser"},
        {"laser", "LASER", {"Dot matrix", "LASER"}, "LASER"},
        {"Dot matrix", "Epson", {"Epson", "Laser"}, "laser"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.from + " -> " + test.to);
        MemorySettingsStore store = twoSchemes();
        renameStoredScheme(store, test.from, test.to);
        EXPECT_EQ(store.subkeys(SequencesKey), test.schemes);
        EXPECT_EQ(active(store), test.active);
    }

    MemorySettingsStore store = twoSchemes();
    renameStoredScheme(store, "Laser", "Office laser");
    const std::string key = storedSchemeKey("Office laser");
    EXPECT_EQ(store.valueNames(key), (Names{"Bold", "Language"})) << "in the order they were";
    EXPECT_EQ(readString(store, key, "Bold"), "\x1b(s3B");
    EXPECT_EQ(readString(store, key, "Language"), "PCL");
    EXPECT_EQ(readNumber(store, key + "\\Notes", "Tray"), 2u);

    // The scheme the store now names is the one the next job loads.
    ActiveScheme scheme;
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.name(), "Office laser");
    EXPECT_EQ(scheme.entry(SchemeEntry::Bold), "\x1b(s3B");
    EXPECT_EQ(scheme.language(), PrinterLanguage::Pcl);
}
