#include "config/InterfaceTexts.h"
#include "base/Error.h"

#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <string>

using namespace marlet;
using marlet::testing::messageOf;

namespace {

const std::string RussianFile = std::string(MARLET_DATA_DIR) + "/Русский.lng";
const std::string EnglishFile = std::string(MARLET_DATA_DIR) + "/English.lng";

std::string fixture(const std::string& name) {
    return std::string(MARLET_TEST_DATA) + "/lng/" + name;
}

} // namespace

TEST(InterfaceTexts, KeysFollowTheOrderOfApplication) {
    const auto& keys = InterfaceTexts::keys();
    ASSERT_EQ(keys.size(), 92u);
    EXPECT_EQ(InterfaceTexts::keyName(keys.front()), "TrayIconHint");
    EXPECT_EQ(InterfaceTexts::keyName(keys[1]), "Title");
    EXPECT_EQ(InterfaceTexts::keyName(keys.back()), "PageLimitQuestion");
    EXPECT_EQ(InterfaceTexts::keyName(TextKey::EOFPrint), "EOFPrint");
    EXPECT_EQ(InterfaceTexts::keyName(TextKey::MonoSpaceOnly), "MonoSpaceOnly");
}

TEST(InterfaceTexts, FindsKeysWithoutRegardToCase) {
    EXPECT_EQ(InterfaceTexts::findKey("trayiconhint"), TextKey::TrayIconHint);
    EXPECT_EQ(InterfaceTexts::findKey("SEC"), TextKey::Sec);
    EXPECT_EQ(InterfaceTexts::findKey("Sequence"), std::nullopt);
}

TEST(InterfaceTexts, ShippedFilesHaveEveryKey) {
    for (const std::string& fileName : {RussianFile, EnglishFile}) {
        const LanguageFile file = LanguageFile::load(fileName);
        for (TextKey key : InterfaceTexts::keys()) {
            const std::string_view name = InterfaceTexts::keyName(key);
            const std::optional<std::string> text = file.find(name);
            ASSERT_TRUE(text.has_value()) << fileName << " lacks " << name;
            EXPECT_NE(text->find_first_not_of(' '), std::string::npos) << fileName << " " << name;
        }
    }
}

TEST(InterfaceTexts, EnglishKeepsTheRussianAccelerators) {
    const LanguageFile russian = LanguageFile::load(RussianFile);
    const LanguageFile english = LanguageFile::load(EnglishFile);
    for (TextKey key : InterfaceTexts::keys()) {
        const std::string_view name = InterfaceTexts::keyName(key);
        EXPECT_EQ(russian.text(name).find('&') != std::string::npos,
                  english.text(name).find('&') != std::string::npos)
            << name;
    }
}

TEST(InterfaceTexts, RussianFileCarriesTheWindowCaptions) {
    InterfaceTexts texts;
    texts.load(RussianFile);
    EXPECT_EQ(texts[TextKey::Title], "Настройки печати DOS-консоли");
    EXPECT_EQ(texts[TextKey::SpoolParam], " Параметры очереди ");
    EXPECT_EQ(texts[TextKey::AutoPrint], "А&втоматическая печать");
    EXPECT_EQ(texts[TextKey::Esc], "Последовательности");
    EXPECT_EQ(texts.timeOutLabel(3), "3 сек");
    EXPECT_EQ(texts.timeOutLabel(10), "10 сек");
}

TEST(InterfaceTexts, FileWithoutSecLeavesTheNumberAndOneBlank) {
    InterfaceTexts texts;
    texts.load(RussianFile);
    texts.load(fixture("no-sec.lng"));
    EXPECT_EQ(texts[TextKey::Sec], "");
    EXPECT_EQ(texts.timeOutLabel(3), "3 ");
    // Every key the file lacks loses the previous language's text.
    EXPECT_EQ(texts[TextKey::TabMain], "");
    EXPECT_EQ(texts[TextKey::TimeOut], "Тайм-аут очереди");
}

TEST(InterfaceTexts, FileThatCannotBeOpenedKeepsEveryText) {
    InterfaceTexts texts;
    texts.load(EnglishFile);
    EXPECT_EQ(messageOf([&] { texts.load("Deutsch.lng"); }),
              "Cannot open file Deutsch.lng: No such file or directory");
    EXPECT_EQ(texts[TextKey::Title], "DOS console print settings");
    EXPECT_EQ(texts.timeOutLabel(3), "3 sec");
}

TEST(InterfaceTexts, StartUpTitleLookup) {
    EXPECT_EQ(readLanguageTitle(RussianFile), "Настройки печати DOS-консоли");
    // Written "TITLE=" in a Windows-1251 file.
    EXPECT_EQ(readLanguageTitle(fixture("windows-1251.lng")), "Настройки печати DOS-консоли");
    EXPECT_EQ(messageOf([] { readLanguageTitle("Русский.lng"); }),
              "Cannot open file Русский.lng: No such file or directory");
}
