#include "config/SettingValues.h"
#include "base/Error.h"

#include <gtest/gtest.h>

using namespace marlet;

namespace {

const SettingChoices Installed{{"866", "1125", "437"}, {"Русский", "English"}, {"HP PCL"}};

// The message a value given for one run is refused with; "no error" when it is taken.
std::string refusal(const std::string& name, const std::string& value) {
    try {
        checkRunSetting(name, value, Installed);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(SettingValues, NumbersMustBeInTheRangeTheSettingsWindowOffers) {
    const std::string size = "FontSize takes a size in points from 1 to 1638";
    EXPECT_EQ(refusal("FontSize", "0"), "--set FontSize=0: " + size);
    EXPECT_EQ(refusal("FontSize", "-5"), "--set FontSize=-5: " + size);
    EXPECT_EQ(refusal("fontsize", "abc"), "--set fontsize=abc: fontsize takes a size in points "
                                          "from 1 to 1638");
    EXPECT_EQ(refusal("FontSize", "1"), "no error");
    EXPECT_EQ(refusal("FontSize", "1638"), "no error");
    EXPECT_EQ(refusal("FontSize", "1639"), "--set FontSize=1639: " + size);
    EXPECT_EQ(refusal("TimeOut", "11"),
              "--set TimeOut=11: TimeOut takes a number of seconds from 1 to 10");
    EXPECT_EQ(refusal("End", "256"), "--set End=256: End takes a byte from 0 to 255");
    // Margins have no limit in the settings window, but must be numbers.
    EXPECT_EQ(refusal("TopMargin", "-3"), "no error");
    EXPECT_EQ(refusal("TopMargin", "ten"), "--set TopMargin=ten: TopMargin takes a whole number");
}

TEST(SettingValues, SwitchesTakeZeroOrOne) {
    EXPECT_EQ(refusal("Orientation", "1"), "no error");
    EXPECT_EQ(refusal("Orientation", "0"), "no error");
    EXPECT_EQ(refusal("Orientation", "2"), "--set Orientation=2: Orientation takes 0 or 1");
    EXPECT_EQ(refusal("LineWrap", "yes"), "--set LineWrap=yes: LineWrap takes 0 or 1");
}

TEST(SettingValues, NamesMustBeOnesThereAre) {
    EXPECT_EQ(refusal("CodePage", "999"), "--set CodePage=999: CodePage takes one of the code "
                                          "pages there are: 437, 866, 1125");
    EXPECT_EQ(refusal("CodePage", "1125"), "no error");
    EXPECT_EQ(refusal("Language", "Deutsch"), "--set Language=Deutsch: Language takes one of the "
                                              "languages there are: English, Русский");
    EXPECT_EQ(refusal("Language", "english"), "no error");
    EXPECT_EQ(refusal("Sequence", "Epson"), "--set Sequence=Epson: Sequence takes one of the "
                                            "schemes 'Default', 'No sequences', 'HP PCL'");
    for (const char* scheme : {"Default", "No sequences", "hp pcl"})
        EXPECT_EQ(refusal("Sequence", scheme), "no error") << scheme;
    // Texts take anything, a face that is not installed included.
    EXPECT_EQ(refusal("FontName", "NoSuchFont"), "no error");
    EXPECT_EQ(refusal("InitStr", ""), "no error");
    EXPECT_EQ(refusal("Colour", "1"), "--set: there is no setting named 'Colour'");
}

TEST(SettingValues, TheActiveSchemeIsASettingOfTheRun) {
    EXPECT_TRUE(isRunSetting("Sequence"));
    EXPECT_TRUE(isRunSetting("sequence"));
    EXPECT_TRUE(isRunSetting("FontSize"));
    EXPECT_FALSE(isRunSetting("Sequences"));
    EXPECT_TRUE(isSequenceSetting("SEQUENCE"));
    EXPECT_FALSE(isSequenceSetting("FontName"));
}
