#include "config/SchemeEntry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace marlet;

TEST(SchemeEntry, StoredNamesAndEditorLabelsInTableOrder) {
    std::vector<std::string> names;
    std::vector<std::string> labels;
    for (SchemeEntry entry : schemeEntries()) {
        names.emplace_back(schemeEntryName(entry));
        labels.emplace_back(schemeEntryLabel(entry));
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "Bold",        "NoBold",    "Italic",      "NoItalic",    "Underline",
                         "NoUnderline", "Strikeout", "NoStrikeout", "Double",      "NoDouble",
                         "Pica",        "Elit",      "Condenced",   "NoCondenced", "CondPica",
                         "CondElit",    "Portrait",  "Landscape",   "Pitch",       "LPI"}));
    EXPECT_EQ(labels, (std::vector<std::string>{"Bold",
                                                "No Bold",
                                                "Italic",
                                                "No Italic",
                                                "Underline",
                                                "No Underline",
                                                "Strikeout",
                                                "No Strikeout",
                                                "Double Width",
                                                "Normal Width",
                                                "Pica (10 CPI)",
                                                "Elit (12 CPI)",
                                                "Condenced",
                                                "No Condenced",
                                                "Cond. Pica (17 CPI)",
                                                "Cond. Elit (20 CPI)",
                                                "Portrait Page",
                                                "Landscape Page",
                                                "Pitch 00",
                                                "LPI 00"}));
}

TEST(SchemeEntry, DefaultSchemeDisplayBytes) {
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::Bold), "\x1B\x42");
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::NoStrikeout), "\x1B\x73");
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::Double), "");
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::NoCondenced), "");
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::Pica), "\x1B\x50\x31\x30");
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::CondElit), "\x1B\x50\x32\x30");
    // The display's orientation rows are the other way round from the interpreter's.
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::Portrait), "\x1B\x4F\x4C");
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::Landscape), "\x1B\x4F\x50");
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::Pitch), "\x1B\x50\x30\x30");
    EXPECT_EQ(defaultSchemeDisplay(SchemeEntry::LPI), "\x1B\x4C\x30\x30");
}
