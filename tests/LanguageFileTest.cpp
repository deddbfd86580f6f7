#include "config/LanguageFile.h"
#include "base/Error.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

using namespace marlet;

namespace {

std::string fixture(const std::string& name) {
    return std::string(MARLET_TEST_DATA) + "/lng/" + name;
}

std::string fixtureBytes(const std::string& name) {
    std::ifstream in(fixture(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string loadFailure(const std::string& fileName) {
    try {
        LanguageFile::load(fileName);
    } catch (const Error& e) {
        return e.what();
    }
    return "loaded";
}

} // namespace

TEST(LanguageFile, KeysMatchWithoutRegardToCase) {
    const LanguageFile file = LanguageFile::parse("tItLe=Настройки\nSEC=сек\n");
    EXPECT_EQ(file.text("Title"), "Настройки");
    EXPECT_EQ(file.text("TITLE"), "Настройки");
    EXPECT_EQ(file.text("Sec"), "сек");
}

TEST(LanguageFile, FirstLineOfAKeyWins) {
    const LanguageFile file =
        LanguageFile::parse("TabMain=Общие\nTabMain=Другие\ntabmain=Третьи\n");
    EXPECT_EQ(file.text("TabMain"), "Общие");
}

TEST(LanguageFile, TextIsKeptExactly) {
    const LanguageFile file = LanguageFile::parse("SpoolParam=  Параметры очереди  \n"
                                                  "Set1=a=b==c\n"
                                                  "Sec=\n"
                                                  " Title=with a blank before the key\n");
    EXPECT_EQ(file.text("SpoolParam"), "  Параметры очереди  ");
    EXPECT_EQ(file.text("Set1"), "a=b==c");
    // An empty text is still a text the file has.
    EXPECT_EQ(file.find("Sec"), std::optional<std::string>(""));
    // The key is everything before the "=", blanks included.
    EXPECT_EQ(file.find("Title"), std::nullopt);
    EXPECT_EQ(file.text(" title"), "with a blank before the key");
}

TEST(LanguageFile, LinesEndWithCrOrLfOrCrLf) {
    const LanguageFile file = LanguageFile::parse("A=1\rB=2\nC=3\r\nD=4\r\r\nE=5\n\rF=6");
    EXPECT_EQ(file.text("A"), "1");
    EXPECT_EQ(file.text("B"), "2");
    EXPECT_EQ(file.text("C"), "3");
    EXPECT_EQ(file.text("D"), "4");
    EXPECT_EQ(file.text("E"), "5");
    EXPECT_EQ(file.text("F"), "6");
}

TEST(LanguageFile, LinesWithoutEqualsAndMissingKeysGiveNothing) {
    const LanguageFile file = LanguageFile::parse("[Russian]\nTitle\n; Sec=comment\n");
    EXPECT_EQ(file.find("Title"), std::nullopt);
    EXPECT_EQ(file.text("Title"), "");
    EXPECT_EQ(file.text("Sec"), "");
    EXPECT_EQ(file.text("; Sec"), "comment");
    EXPECT_EQ(LanguageFile().text("Title"), "");
}

TEST(LanguageFile, ReadsWindows1251AndUtf8Files) {
    const LanguageFile ansi = LanguageFile::load(fixture("windows-1251.lng"));
    EXPECT_EQ(ansi.text("Title"), "Настройки печати DOS-консоли");
    EXPECT_EQ(ansi.text("Sec"), "сек.");
    EXPECT_EQ(ansi.text("TabMain"), "Ёлка № 1 — «общие»");

    const LanguageFile unicode = LanguageFile::load(fixture("utf8-bom.lng"));
    EXPECT_EQ(unicode.text("Title"), "Настройки");
    EXPECT_EQ(unicode.text("Sec"), "сек");
}

TEST(LanguageFile, FileThatCannotBeOpenedFails) {
    EXPECT_EQ(loadFailure("Deutsch.lng"),
              "Cannot open file Deutsch.lng: No such file or directory");
    EXPECT_EQ(loadFailure(MARLET_TEST_DATA),
              std::string("Cannot open file ") + MARLET_TEST_DATA + ": Is a directory");
}

TEST(LanguageFile, DecodesUtf8AsItStands) {
    EXPECT_EQ(LanguageFile::decode("Sec=сек\r\n"), "Sec=сек\r\n");
    EXPECT_EQ(LanguageFile::decode("Title=\xF0\x9F\x96\xA8"), "Title=\xF0\x9F\x96\xA8");
    EXPECT_EQ(LanguageFile::decode("\xEF\xBB\xBFTitle=x"), "Title=x");
}

TEST(LanguageFile, DecodesAnythingElseAsWindows1251) {
    // The fixture holds 0x80..0xFF without 0x98, which the code page leaves undefined; its
    // UTF-8 counterpart was made by iconv.
    EXPECT_EQ(LanguageFile::decode(fixtureBytes("windows-1251-upper.bin")),
              fixtureBytes("windows-1251-upper.utf8"));
    EXPECT_EQ(LanguageFile::decode("\x98"), "\xC2\x98");
    EXPECT_EQ(LanguageFile::decode("Sec=\xF1\xE5\xEA\r\n"), "Sec=сек\r\n");
    // Malformed UTF-8 is read byte by byte: overlong, surrogate, past U+10FFFF, cut short.
    EXPECT_EQ(LanguageFile::decode("\xC0\xAF"), "АЇ");
    EXPECT_EQ(LanguageFile::decode("\xED\xA0\x80"), "н\xC2\xA0Ђ"); // 0xA0 is a no-break space
    EXPECT_EQ(LanguageFile::decode("\xF4\x90\x80\x80"), "фђЂЂ");
    EXPECT_EQ(LanguageFile::decode("=\xD0"), "=Р");
    // A byte order mark before bytes that are not UTF-8 is three 1251 characters.
    EXPECT_EQ(LanguageFile::decode("\xEF\xBB\xBF\xF1"), "п»їс");
}
