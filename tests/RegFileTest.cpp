#include "config/RegFileReader.h"
#include "config/RegFileWriter.h"

#include "base/Error.h"
#include "config/SqliteSettingsStore.h"
#include "config/UnicodeText.h"
#include "support/StoreDump.h"

#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace marlet;
using marlet::testing::messageOf;

namespace {

const std::string Key = MarletKey;
const std::string Scheme = Key + "\\Sequences\\Epson FX";

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(MARLET_TEST_DATA) + "/reg/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// A version 5.00 file of UTF-8 source text: byte order mark, UTF-16LE.
std::string version5(std::string_view text) {
    return "\xFF\xFE" + encodeUtf16le(*decodeUtf8(text));
}

struct FormFixture {
    RegFormat format;
    const char* file;
};

const FormFixture forms[] = {
    {RegFormat::Regedit4, "marlet-regedit4.reg"},
    {RegFormat::Version5, "marlet-v5.reg"},
};

} // namespace

TEST(RegFileImport, WindowsExportsOfBothFormsGiveBackEveryByte) {
    std::string firstDump;
    for (const FormFixture& form : forms) {
        SCOPED_TRACE(form.file);
        SqliteSettingsStore store(":memory:");
        RegFileReader::import(store, fixture(form.file), form.file);

        EXPECT_EQ(store.value(Key, "TimeOut"), StoredValue(3u));
        EXPECT_EQ(store.value(Key, "End"), StoredValue(255u));
        EXPECT_EQ(store.value(Key, "Spool"), StoredValue("c:\\prnspl"));
        // The ANSI bytes of "Русский" on the Russian host.
        EXPECT_EQ(store.value(Key, "Language"), StoredValue("\xD0\xF3\xF1\xF1\xEA\xE8\xE9"));
        EXPECT_EQ(store.value(Key, "InitStr"), StoredValue("\x1B@"));
        EXPECT_EQ(store.subkeys(Key), (std::vector<std::string>{"InitStr", "Sequences"}));

        EXPECT_EQ(store.valueNames(Key + "\\InitStr"),
                  (std::vector<std::string>{"Сброс", "Сжатый \"17\"", "Draft"}));
        EXPECT_EQ(store.value(Key + "\\InitStr", "Сброс"), StoredValue("\x1B@"));
        EXPECT_EQ(store.value(Key + "\\InitStr", "Сжатый \"17\""), StoredValue("\x1B@\x0F"));
        EXPECT_EQ(store.value(Key + "\\InitStr", "Draft"), StoredValue("\x1Bx0\x1BP"));

        EXPECT_EQ(store.subkeys(Key + "\\Sequences"), std::vector<std::string>{"Epson FX"});
        EXPECT_EQ(store.valueNames(Scheme),
                  (std::vector<std::string>{"Bold", "NoBold", "Italic", "NoItalic", "Underline",
                                            "NoUnderline", "Strikeout", "Double", "NoDouble",
                                            "Pica", "Elit", "Condenced", "NoCondenced", "CondElit",
                                            "Pitch", "LPI"}));
        EXPECT_EQ(store.value(Scheme, "Bold"), StoredValue("\x1B"
                                                           "E"));
        EXPECT_EQ(store.value(Scheme, "Underline"), StoredValue("\x1B-1"));
        EXPECT_EQ(store.value(Scheme, "Strikeout"), StoredValue("\x1B\\"));
        EXPECT_EQ(store.value(Scheme, "Condenced"), StoredValue("\x0F"));
        EXPECT_EQ(store.value(Scheme, "NoCondenced"), StoredValue("\x12"));
        // High bytes, the undefined 0x98 among them, come back as the program stored them.
        EXPECT_EQ(store.value(Scheme, "CondElit"), StoredValue("\x1B\xC0\x98\xFF"));
        EXPECT_EQ(store.value(Scheme, "Pitch"), StoredValue("\x1BP__"));

        if (firstDump.empty())
            firstDump = dumpStore(store);
        else
            EXPECT_EQ(dumpStore(store), firstDump);
    }
}

TEST(RegFileExport, WritesTheKeyAsWindowsExportsIt) {
    for (const FormFixture& source : forms) {
        SqliteSettingsStore store(":memory:");
        RegFileReader::import(store, fixture(source.file), source.file);
        for (const FormFixture& target : forms) {
            SCOPED_TRACE(std::string(source.file) + " -> " + target.file);
            EXPECT_EQ(RegFileWriter(target.format).write(store, Key), fixture(target.file));
        }
    }
}

TEST(RegFileExport, ThenImportIntoAnEmptyStoreReproducesIt) {
    SqliteSettingsStore store(":memory:");
    std::string everyByte;
    for (int byte = 1; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n')
            everyByte.push_back(static_cast<char>(byte));
    }
    store.setValue(Key, "TimeOut", 0u);
    store.setValue(Key, "Largest", 0xFFFFFFFFu);
    store.setValue(Key, "EveryByte", everyByte);
    store.setValue(Key, "Lines",
                   std::string("\x1B@\r\n\x1B"
                               "E\r\rlast\n"));
    store.setValue(Key, "Empty", std::string());
    store.setValue(Key, "", std::string("default \"quoted\" \\ value"));
    store.setValue(Key, "Name with \"quotes\" and \\", std::string("x"));
    store.setValue(Key + "\\Sequences\\Эпсон LQ", "Bold",
                   std::string("\x1B"
                               "E"));
    store.setValue(Key + "\\Sequences\\laser", "Landscape", std::string("\x1B&l1O"));
    store.createKey(Key + "\\Sequences\\Empty scheme");
    store.setValue(Key + "\\InitStr", "Сброс", std::string("\x1B@"));
    store.setValue("\\SOFTWARE\\Other", "Kept", 1u);

    for (const FormFixture& form : forms) {
        SCOPED_TRACE(form.file);
        SqliteSettingsStore whole(":memory:");
        RegFileReader::import(whole, RegFileWriter(form.format).write(store, "\\"), "whole.reg");
        EXPECT_EQ(dumpStore(whole), dumpStore(store));

        SqliteSettingsStore part(":memory:");
        RegFileReader::import(part, RegFileWriter(form.format).write(store, Key), "part.reg");
        EXPECT_EQ(dumpStore(part, Key), dumpStore(store, Key));
        EXPECT_FALSE(part.keyExists("\\SOFTWARE\\Other"));
    }
}

TEST(RegFileExport, KeepsLineBreaksOutOfQuotesAndRefusesWhatItCannotWrite) {
    SqliteSettingsStore store(":memory:");
    store.setValue(Key, "Init", std::string("\x1B@\r\n"));
    EXPECT_EQ(RegFileWriter(RegFormat::Regedit4).write(store, Key),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuvo\\Marlet]\r\n"
              "\"Init\"=hex(1):1b,40,0d,0a,00\r\n\r\n");
    store.setValue(Key, "Init", std::string(30, 'x') + "\r\n");
    EXPECT_EQ(RegFileWriter(RegFormat::Regedit4).write(store, Key),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuvo\\Marlet]\r\n"
              "\"Init\"=hex(1):78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,78,"
              "\\\r\n  78,78,78,78,78,78,78,78,78,0d,0a,00\r\n\r\n");

    EXPECT_EQ(messageOf([&] { RegFileWriter(RegFormat::Version5).write(store, Key + "\\Gone"); }),
              "Key '\\SOFTWARE\\Tuvo\\Marlet\\Gone' not found");
    store.setValue(Key + "\\InitStr", "中文", std::string("x"));
    EXPECT_EQ(messageOf([&] { RegFileWriter(RegFormat::Regedit4).write(store, Key); }),
              "The name '中文' has no Windows-1251 form for a REGEDIT4 file");
    EXPECT_NE(RegFileWriter(RegFormat::Version5).write(store, Key).find(encodeUtf16le(U"中文")),
              std::string::npos);
}

TEST(RegFileImport, ReadsTheHexFormsAndContinuedLines) {
    SqliteSettingsStore store(":memory:");
    RegFileReader::import(store,
                          "REGEDIT4\r\n\r\n"
                          "; presets typed in by hand\r\n"
                          "[HKLM\\SOFTWARE\\Tuvo\\Marlet\\InitStr]\r\n"
                          "\"Sz\"=hex(1):1b,45,00\r\n"
                          "\"Binary\"=hex:1b,40\r\n"
                          "\"Continued\"=hex(1):1b,50,\\\r\n"
                          "  31,30,00\r\n"
                          "\"Number\"=hex(4):0a,00,00,00\r\n"
                          "\"Short\"=dword:A\r\n"
                          "\"Spaced\" = \"x\"  \r\n"
                          "@=\"default\"\r\n"
                          "\"Raw\"=\"\x1B@\r\n\x1B"
                          "E\"\r\n",
                          "hand.reg");
    const std::string presets = Key + "\\InitStr";
    EXPECT_EQ(store.value(presets, "Sz"), StoredValue("\x1B"
                                                      "E"));
    EXPECT_EQ(store.value(presets, "Binary"), StoredValue("\x1B@"));
    EXPECT_EQ(store.value(presets, "Continued"), StoredValue("\x1BP10"));
    EXPECT_EQ(store.value(presets, "Number"), StoredValue(10u));
    EXPECT_EQ(store.value(presets, "Short"), StoredValue(10u));
    EXPECT_EQ(store.value(presets, "Spaced"), StoredValue("x"));
    EXPECT_EQ(store.value(presets, ""), StoredValue("default"));
    // A raw line break inside the quotes belongs to the value.
    EXPECT_EQ(store.value(presets, "Raw"), StoredValue("\x1B@\r\n\x1B"
                                                       "E"));

    RegFileReader::import(store,
                          version5("Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuvo\\Marlet\\InitStr]\r\n"
                                   "\"Sz\"=hex(1):1b,00,10,04,00,00,45,00\r\n"),
                          "unicode.reg");
    // UTF-16 data of a REG_SZ ends at its zero; U+0410 is byte 0xC0.
    EXPECT_EQ(store.value(presets, "Sz"), StoredValue("\x1B\xC0"));
}

TEST(RegFileImport, DeletesKeysAndValues) {
    SqliteSettingsStore store(":memory:");
    store.setValue(Key, "TimeOut", 3u);
    store.setValue(Key, "AutoPrint", 1u);
    store.setValue(Key + "\\Sequences\\FX", "Bold",
                   std::string("\x1B"
                               "E"));
    RegFileReader::import(store,
                          "REGEDIT4\r\n\r\n"
                          "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuvo\\Marlet\\Sequences]\r\n\r\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuvo\\Marlet]\r\n"
                          "\"timeout\"=-\r\n",
                          "delete.reg");
    EXPECT_EQ(dumpStore(store, Key), "[" + Key + "]\n\"AutoPrint\"=dword:1\n");
}

TEST(RegFileImport, RefusesABadLineByItsNumberAndWritesNothing) {
    const std::string head = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuvo\\Marlet]\r\n";
    struct Case {
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {"", "Malformed line 1 in bad.reg"},
        {"REGEDIT5\r\n", "Malformed line 1 in bad.reg"},
        {"REGEDIT4\r\n\"TimeOut\"=dword:00000005\r\n", "Malformed line 2 in bad.reg"},
        {head + "\"TimeOut\"dword:5\r\n", "Malformed line 4 in bad.reg"},
        {head + "\"TimeOut\"=dword:123456789\r\n", "Malformed line 4 in bad.reg"},
        {head + "\"TimeOut\"=dword:\r\n", "Malformed line 4 in bad.reg"},
        {head + "\"Spool\"=\"c:\\prnspl\"\r\n", "Malformed line 4 in bad.reg"},
        {head + "\"Spool\"=\"x\" y\r\n", "Malformed line 4 in bad.reg"},
        {head + "\"Bold\"=\"\x1B"
                "E\r\n\"NoBold\"=\"\x1B"
                "F\r\n",
         "Malformed line 4 in bad.reg"},
        {head + "[HKEY_LOCAL_MACHINE\\SOFTWARE\r\n", "Malformed line 4 in bad.reg"},
        {head + "TimeOut=3\r\n", "Malformed line 4 in bad.reg"},
        {head + "\"X\"=hex:1b,\\ 40\r\n", "Malformed line 4 in bad.reg"},
        {head + "\"Path\"=hex(2):25,00\r\n", "Unsupported value type on line 4 in bad.reg"},
        {head + "\"Big\"=qword:1\r\n", "Unsupported value type on line 4 in bad.reg"},
        {head + "\"Zero\"=hex:1b,00,40\r\n", "Unsupported value type on line 4 in bad.reg"},
        {head + "[HKEY_CURRENT_USER\\Software\\Tuvo]\r\n", "Unsupported key on line 4 in bad.reg"},
        {head + "\"Raw\"=\"a\r\nb\"\r\n\"Next\"=oops\r\n", "Malformed line 6 in bad.reg"},
        {version5("Windows Registry Editor Version 5.00\r\n\r\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuvo\\Marlet]\r\n"
                  "\"FontName\"=\"中\"\r\n"),
         "Character U+4E2D on line 4 in bad.reg has no Windows-1251 byte"},
        // Eleven good lines first: none of them may reach the store.
        {head + "\"TimeOut\"=dword:00000009\r\n\"AutoPrint\"=dword:00000000\r\n\r\n"
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuvo\\Marlet\\Sequences\\FX]\r\n"
                "\"Bold\"=\"\x1B"
                "E\"\r\n\"NoBold\"=\"\x1B"
                "F\"\r\n"
                "\"Italic\"=\"\x1B"
                "4\"\r\n\"NoItalic\"=\"\x1B"
                "5\"\r\n"
                "\"Pitch\"=\x1BP__\r\n",
         "Malformed line 12 in bad.reg"},
    };
    for (const Case& bad : cases) {
        SCOPED_TRACE(bad.file);
        SqliteSettingsStore store(":memory:");
        store.setValue(Key, "TimeOut", 3u);
        const std::string before = dumpStore(store);
        EXPECT_EQ(messageOf([&] { RegFileReader::import(store, bad.file, "bad.reg"); }),
                  bad.message);
        EXPECT_EQ(dumpStore(store), before);
    }
}

TEST(RegFileTest, AKeyThreeThousandLevelsDeepExportsWhole) {
    // Each level was once found again from the root, on the way in and on the way out:
    // 3,000 levels ran for minutes.
    SqliteSettingsStore store(":memory:");
    std::string key = "\\SOFTWARE";
    store.beginBatch();
    for (int level = 0; level < 3000; ++level) {
        key += "\\k";
        store.setValue(key, "v", std::uint32_t(level));
    }
    store.commit();
    std::string text = RegFileWriter(RegFormat::Regedit4).write(store, "\\SOFTWARE");
    std::size_t headers = 0;
    for (std::size_t at = text.find("[HKEY"); at != std::string::npos;
         at = text.find("[HKEY", at + 1))
        ++headers;
    EXPECT_EQ(headers, 3001u);
    EXPECT_NE(text.find("\"v\"=dword:00000bb7\r\n"), std::string::npos) << "the deepest value";
}
