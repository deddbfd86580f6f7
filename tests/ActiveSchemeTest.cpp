#include "config/ActiveScheme.h"
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

std::string schemeKey(const std::string& name) {
    return std::string(SequencesKey) + "\\" + name;
}

// A scheme as the editor writes it: all twenty values, each ESC, the entry's name and a mark
// that tells the schemes apart.
void storeFullScheme(MemorySettingsStore& store, const std::string& name,
                     const std::string& mark = "") {
    for (SchemeEntry entry : schemeEntries())
        store.setValue(schemeKey(name), std::string(schemeEntryName(entry)),
                       "\x1B" + std::string(schemeEntryName(entry)) + mark);
}

void selectScheme(MemorySettingsStore& store, const std::string& name) {
    store.setValue(MarletKey, "Sequence", name);
}

std::vector<std::string> entriesOf(const ActiveScheme& scheme) {
    std::vector<std::string> entries;
    for (SchemeEntry entry : schemeEntries())
        entries.push_back(scheme.entry(entry));
    return entries;
}

std::vector<std::string> derivedOf(const ActiveScheme& scheme) {
    return {scheme.pitchPattern(), scheme.pitchPrefix(), scheme.lpiPattern(), scheme.lpiPrefix()};
}

const std::vector<std::string> NoEntries(SchemeEntryCount);
const std::vector<std::string> NoDerived(4);

std::string loadFailure(ActiveScheme& scheme, const SettingsStore& store) {
    try {
        scheme.LoadSequences(store);
    } catch (const Error& e) {
        return e.what();
    }
    return "loaded";
}

// The stored scheme "Epson", active and loaded, with digit places in Pitch and LPI.
struct ActiveSchemeLoaded : ::testing::Test {
    MemorySettingsStore store;
    ActiveScheme scheme;

    void SetUp() override {
        storeFullScheme(store, "Epson");
        store.setValue(schemeKey("Epson"), "Pitch", std::string("\x1BP__"));
        store.setValue(schemeKey("Epson"), "LPI", esc("3_"));
        selectScheme(store, "Epson");
        scheme.LoadSequences(store);
    }
};

} // namespace

TEST(ActiveScheme, FirstRunHasDefaultAndNothingStored) {
    MemorySettingsStore store;
    ActiveScheme scheme;
    EXPECT_EQ(scheme.name(), "Default");
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.name(), "Default");
    EXPECT_EQ(entriesOf(scheme), NoEntries);
    EXPECT_EQ(derivedOf(scheme), NoDerived);
    EXPECT_TRUE(scheme.storedSchemes().empty());
    // Reading never creates a key.
    EXPECT_FALSE(store.keyExists(MarletKey));
    EXPECT_FALSE(store.keyExists(SequencesKey));
}

TEST_F(ActiveSchemeLoaded, TakesEveryEntryAndDerivesTheParameterForms) {
    EXPECT_EQ(scheme.name(), "Epson");
    EXPECT_EQ(scheme.entry(SchemeEntry::Bold), esc("Bold"));
    EXPECT_EQ(scheme.entry(SchemeEntry::Condenced), esc("Condenced"));
    EXPECT_EQ(scheme.entry(SchemeEntry::Pitch), "\x1BP__");
    EXPECT_EQ(derivedOf(scheme),
              (std::vector<std::string>{"\x1BP00", "\x1BP", esc("30"), esc("3")}));
}

TEST_F(ActiveSchemeLoaded, ListsStoredSchemesAsTheStoreEnumeratesThem) {
    storeFullScheme(store, "laser");
    storeFullScheme(store, "Citizen");
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.storedSchemes(), store.subkeys(SequencesKey));
    EXPECT_EQ(scheme.storedSchemes(), (std::vector<std::string>{"Citizen", "Epson", "laser"}));
}

TEST_F(ActiveSchemeLoaded, MatchesOnlyTheFirst30BytesOfALongValue) {
    const std::string longBold = "\x1B" + std::string(39, 'B');
    store.setValue(schemeKey("Epson"), "Bold", longBold);
    store.setValue(schemeKey("Epson"), "Pitch", "\x1B" + std::string(40, '_'));
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.entry(SchemeEntry::Bold), longBold.substr(0, 30));
    EXPECT_EQ(scheme.pitchPattern(), "\x1B" + std::string(29, '0'));
    EXPECT_EQ(scheme.pitchPrefix(), "\x1B");
}

TEST_F(ActiveSchemeLoaded, PitchOfUnderscoresOnlyGivesEmptyPrefix) {
    store.setValue(schemeKey("Epson"), "Pitch", std::string("___"));
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.pitchPattern(), "000");
    EXPECT_EQ(scheme.pitchPrefix(), "");
}

TEST_F(ActiveSchemeLoaded, EntriesWithoutDigitPlacesKeepThePreviousForms) {
    storeFullScheme(store, "Plain", "!");
    selectScheme(store, "Plain");
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.entry(SchemeEntry::Pitch), esc("Pitch!"));
    EXPECT_EQ(scheme.entry(SchemeEntry::LPI), esc("LPI!"));
    EXPECT_EQ(derivedOf(scheme),
              (std::vector<std::string>{"\x1BP00", "\x1BP", esc("30"), esc("3")}));
}

TEST_F(ActiveSchemeLoaded, AbsentValueKeepsThePreviousEntry) {
    store.setValue(schemeKey("Sparse"), "Italic", esc("4"));
    store.setValue(schemeKey("Sparse"), "Bold", std::string());
    selectScheme(store, "Sparse");
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.entry(SchemeEntry::Italic), esc("4"));
    EXPECT_EQ(scheme.entry(SchemeEntry::Bold), "");
    EXPECT_EQ(scheme.entry(SchemeEntry::NoBold), esc("NoBold"));
}

TEST_F(ActiveSchemeLoaded, SchemeWithoutStoredKeyEmptiesEveryEntry) {
    for (const std::string name : {"Default", "No sequences", "Deleted", ""}) {
        SetUp();
        ASSERT_EQ(scheme.entry(SchemeEntry::Bold), esc("Bold"));
        selectScheme(store, name);
        scheme.LoadSequences(store);
        EXPECT_EQ(scheme.name(), name);
        EXPECT_EQ(entriesOf(scheme), NoEntries) << name;
        EXPECT_EQ(derivedOf(scheme), NoDerived) << name;
        EXPECT_EQ(scheme.storedSchemes(), (std::vector<std::string>{"Epson"}));
    }

    // The active scheme's key deleted after it was loaded.
    SetUp();
    store.deleteKey(schemeKey("Epson"));
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.name(), "Epson");
    EXPECT_EQ(entriesOf(scheme), NoEntries);
    EXPECT_EQ(derivedOf(scheme), NoDerived);
    EXPECT_TRUE(scheme.storedSchemes().empty());
}

TEST_F(ActiveSchemeLoaded, AbsentSequenceValueKeepsTheActiveName) {
    store.deleteValue(MarletKey, "Sequence");
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.name(), "Epson");
    EXPECT_EQ(scheme.entry(SchemeEntry::Bold), esc("Bold"));
}

TEST_F(ActiveSchemeLoaded, NonStringValueStopsTheLoadAndKeepsWhatWasRead) {
    storeFullScheme(store, "Broken", "!");
    store.setValue(schemeKey("Broken"), "Bold", std::uint32_t{27});
    selectScheme(store, "Broken");
    EXPECT_EQ(loadFailure(scheme, store), "Invalid data type for 'Bold'");
    EXPECT_EQ(scheme.name(), "Broken");
    EXPECT_EQ(scheme.entry(SchemeEntry::Bold), esc("Bold"));
    EXPECT_EQ(scheme.entry(SchemeEntry::NoBold), esc("NoBold"));

    // Entries ahead of the bad one take the new scheme's bytes; the rest stay.
    store.setValue(schemeKey("Broken"), "Bold", esc("E"));
    store.setValue(schemeKey("Broken"), "Italic", esc("4"));
    store.setValue(schemeKey("Broken"), "Underline", std::uint32_t{1});
    store.setValue(schemeKey("Broken"), "Strikeout", esc("X"));
    store.setValue(schemeKey("Broken"), "Pitch", esc("C_"));
    EXPECT_EQ(loadFailure(scheme, store), "Invalid data type for 'Underline'");
    EXPECT_EQ(scheme.entry(SchemeEntry::Bold), esc("E"));
    EXPECT_EQ(scheme.entry(SchemeEntry::Italic), esc("4"));
    EXPECT_EQ(scheme.entry(SchemeEntry::NoBold), esc("NoBold!"));
    EXPECT_EQ(scheme.entry(SchemeEntry::NoItalic), esc("NoItalic!"));
    EXPECT_EQ(scheme.entry(SchemeEntry::Underline), esc("Underline"));
    EXPECT_EQ(scheme.entry(SchemeEntry::Strikeout), esc("Strikeout"));
    EXPECT_EQ(scheme.entry(SchemeEntry::Pitch), "\x1BP__");
    EXPECT_EQ(scheme.pitchPattern(), "\x1BP00");
}

TEST(ActiveScheme, NonStringSequenceNameFails) {
    MemorySettingsStore store;
    store.setValue(MarletKey, "Sequence", std::uint32_t{1});
    ActiveScheme scheme;
    EXPECT_EQ(loadFailure(scheme, store), "Invalid data type for 'Sequence'");
    EXPECT_EQ(scheme.name(), "Default");
}

TEST(ActiveScheme, SchemeNamesAloneAtStartUp) {
    MemorySettingsStore store;
    storeFullScheme(store, "Epson");
    selectScheme(store, "Epson");
    ActiveScheme scheme;
    scheme.readSchemeNames(store);
    EXPECT_EQ(scheme.storedSchemes(), (std::vector<std::string>{"Epson"}));
    EXPECT_EQ(scheme.name(), "Default");
    EXPECT_EQ(entriesOf(scheme), NoEntries);
}

TEST(ActiveScheme, ASchemeChosenForTheRunWinsOverTheStoredOneAtEveryRefresh) {
    MemorySettingsStore store;
    storeFullScheme(store, "Epson", "e");
    storeFullScheme(store, "PCL", "p");
    selectScheme(store, "Epson");
    ActiveScheme scheme;
    scheme.chooseForRun("PCL");
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.name(), "PCL");
    EXPECT_EQ(scheme.entry(SchemeEntry::Bold), "\x1B"
                                               "Boldp");
    // The stored choice changing between jobs does not undo the run's.
    selectScheme(store, "Epson");
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.name(), "PCL");

    ActiveScheme none;
    none.chooseForRun("No sequences");
    none.LoadSequences(store);
    EXPECT_EQ(none.name(), "No sequences");
    EXPECT_EQ(entriesOf(none), NoEntries);
}

TEST(ActiveSchemeTest, TheLanguageValueSwitchesOnAPrinterLanguageForItsSchemeOnly) {
    MemorySettingsStore store;
    ActiveScheme scheme;
    EXPECT_EQ(scheme.language(), PrinterLanguage::None);
    storeFullScheme(store, "Epson");
    store.setValue(schemeKey("Epson"), "Language", "esc/p2");
    storeFullScheme(store, "Plain");
    store.setValue(schemeKey("Odd"), "Language", "PostScript");
    selectScheme(store, "Epson");
    scheme.LoadSequences(store);
    EXPECT_EQ(scheme.language(), PrinterLanguage::EscP2);
    EXPECT_EQ(printerLanguageName(scheme.language()), "ESC/P2");
    // A scheme without the value, an unknown language and the built-in schemes have none.
    for (const char* name : {"Plain", "Odd", "Default", "No sequences"}) {
        selectScheme(store, name);
        scheme.LoadSequences(store);
        EXPECT_EQ(scheme.language(), PrinterLanguage::None) << name;
    }
    store.setValue(schemeKey("Epson"), "Language", StoredValue{1u});
    selectScheme(store, "Epson");
    EXPECT_EQ(loadFailure(scheme, store), "Invalid data type for 'Language'");
}
