#include "charset/CodePageTable.h"
#include "base/Error.h"
#include "charset/CodePageList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace marlet;
using namespace std::string_literals;

namespace {

using Entries = std::vector<std::pair<int, int>>;

Entries entriesOf(const CodePageTable& table) {
    Entries entries;
    for (int b = 0; b < 256; ++b)
        entries.emplace_back(table.code(static_cast<std::uint8_t>(b)),
                             table.marker(static_cast<std::uint8_t>(b)));
    return entries;
}

Entries identity() {
    Entries entries;
    for (int b = 0; b < 256; ++b)
        entries.emplace_back(b, 1);
    return entries;
}

std::string failureOf(CodePageTable& table, std::string_view text) {
    try {
        table.loadText(text);
    } catch (const Error& e) {
        return e.what();
    }
    return "loaded";
}

std::string fileFailureOf(CodePageTable& table, const std::string& fileName) {
    try {
        table.load(fileName);
    } catch (const Error& e) {
        return e.what();
    }
    return "loaded";
}

// A table that differs from both the all-zero start and the identity reset.
CodePageTable loadedTable() {
    CodePageTable table;
    table.loadText("A=1#7");
    return table;
}

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("marlet-codepages-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TemporaryFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    std::string file(const std::string& name, const std::string& text = "A=1") const {
        std::ofstream(m_path / name, std::ios::binary) << text;
        return (m_path / name).string();
    }
    std::string path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

} // namespace

TEST(CodePageTable, EveryEntryIsZeroBeforeTheFirstLoad) {
    CodePageTable table;
    EXPECT_EQ(entriesOf(table), Entries(256, {0, 0}));
}

TEST(CodePageTable, HoldsOneTo256Lines) {
    std::string full;
    for (int i = 0; i < 256; ++i)
        full += "A=" + std::to_string(i) + "\r\n";
    CodePageTable table;
    EXPECT_EQ(failureOf(table, full), "loaded");
    EXPECT_EQ(table.code('A'), 255);

    table = loadedTable();
    const Entries before = entriesOf(table);
    EXPECT_EQ(failureOf(table, full + "B=2"), "Range check error");
    EXPECT_EQ(entriesOf(table), before);
    EXPECT_EQ(failureOf(table, ""), "Range check error");
    EXPECT_EQ(entriesOf(table), before);
    EXPECT_EQ(failureOf(table, "\0A=2"s), "Range check error");
    EXPECT_EQ(entriesOf(table), before);
}

TEST(CodePageTable, FileThatCannotBeOpenedLeavesTheTable) {
    TemporaryFolder folder;
    CodePageTable table = loadedTable();
    const Entries before = entriesOf(table);
    const std::string missing = folder.path() + "/missing.cp";
    EXPECT_EQ(fileFailureOf(table, missing),
              "Cannot open file " + missing + ": No such file or directory");
    EXPECT_EQ(entriesOf(table), before);

    // The code page list offers folders too; choosing one must fail like a missing file.
    const std::string subfolder = folder.path() + "/folder.cp";
    std::filesystem::create_directory(subfolder);
    EXPECT_EQ(fileFailureOf(table, subfolder),
              "Cannot open file " + subfolder + ": Is a directory");
    EXPECT_EQ(entriesOf(table), before);

    EXPECT_EQ(fileFailureOf(table, folder.file("x.cp", "B=5#9\r\n")), "loaded");
    EXPECT_EQ(table.code('B'), 5);
    EXPECT_EQ(table.marker('B'), 9);
    EXPECT_EQ(table.code('A'), 'A');
}

TEST(CodePageTable, LinesEndAtCarriageReturnLineFeedOrBoth) {
    CodePageTable table;
    EXPECT_EQ(failureOf(table, "A=1\r\nB=2\rC=3\nD=4"), "loaded");
    EXPECT_EQ(table.code('A'), 1);
    EXPECT_EQ(table.code('B'), 2);
    EXPECT_EQ(table.code('C'), 3);
    EXPECT_EQ(table.code('D'), 4);

    EXPECT_EQ(failureOf(table, "A=1\n"), "loaded");
    EXPECT_EQ(failureOf(table, "A=1\r"), "loaded");
    EXPECT_EQ(failureOf(table, "A=1\r\n"), "loaded");

    // Two breaks at the end leave an empty last line, which has no name.
    Entries expected = identity();
    expected['A'] = {1, 1};
    EXPECT_EQ(failureOf(table, "A=1\n\n"), "Range check error");
    EXPECT_EQ(entriesOf(table), expected);
    EXPECT_EQ(failureOf(table, "A=1\r\n\r\n"), "Range check error");
    EXPECT_EQ(entriesOf(table), expected);
    EXPECT_EQ(failureOf(table, "A=1\n\rB=2"), "Range check error");
    EXPECT_EQ(entriesOf(table), expected);
}

TEST(CodePageTable, TextEndsAtTheFirstZeroByte) {
    CodePageTable table;
    EXPECT_EQ(failureOf(table, "A=1\0B=2\nno equals sign"s), "loaded");
    EXPECT_EQ(table.code('A'), 1);
    EXPECT_EQ(table.code('B'), 'B');

    TemporaryFolder folder;
    EXPECT_EQ(fileFailureOf(table, folder.file("z.cp", "C=3\r\n\0D=4"s)), "loaded");
    EXPECT_EQ(table.code('C'), 3);
    EXPECT_EQ(table.code('D'), 'D');
}

TEST(CodePageTable, FourCharacterNameIsARange) {
    CodePageTable table;
    EXPECT_EQ(failureOf(table, "a--z=0"), "loaded");
    EXPECT_EQ(entriesOf(table), identity());

    EXPECT_EQ(failureOf(table, "a##z=0#7\nA..C=1000#204"), "loaded");
    Entries expected = identity();
    for (int b = 'a'; b <= 'z'; ++b)
        expected[b] = {b, 7};
    for (int b = 'A'; b <= 'C'; ++b)
        expected[b] = {b + 1000, 204};
    EXPECT_EQ(entriesOf(table), expected);

    // Line ends can be given an entry only from inside a range.
    EXPECT_EQ(failureOf(table, "\x01..\x1F=0#204"), "loaded");
    EXPECT_EQ(table.code('\n'), '\n');
    EXPECT_EQ(table.marker('\n'), 204);
    EXPECT_EQ(table.marker('\r'), 204);
    EXPECT_EQ(table.marker(0), 1);

    // Any other name length names one byte: its first character.
    EXPECT_EQ(failureOf(table, "abc=5\nxy=6#2\nlonger=7#3"), "loaded");
    expected = identity();
    expected['a'] = {5, 1};
    expected['x'] = {6, 2};
    expected['l'] = {7, 3};
    EXPECT_EQ(entriesOf(table), expected);
}

TEST(CodePageTable, ReversedRangeChangesNothing) {
    CodePageTable table;
    EXPECT_EQ(failureOf(table, "z--a=5#junk"), "loaded");
    EXPECT_EQ(entriesOf(table), identity());
    EXPECT_EQ(failureOf(table, "z--a=junk"), "'junk' is not a valid integer value");
    EXPECT_EQ(failureOf(table, "z--a=65536"), "Range check error");
    EXPECT_EQ(entriesOf(table), identity());
}

TEST(CodePageTable, ReadsCodeAndSetAsIntegers) {
    CodePageTable table;
    for (const char* line : {"A=$42", "A=0x42", "A=0X42", "A=x42", "A=  66", "A=+66", "A=66#1"}) {
        EXPECT_EQ(failureOf(table, line), "loaded") << line;
        EXPECT_EQ(table.code('A'), 66) << line;
        EXPECT_EQ(table.marker('A'), 1) << line;
    }
    EXPECT_EQ(failureOf(table, "A=$FFFF#$FF"), "loaded");
    EXPECT_EQ(table.code('A'), 65535);
    EXPECT_EQ(table.marker('A'), 255);

    EXPECT_EQ(failureOf(table, "A=66 "), "'66 ' is not a valid integer value");
    EXPECT_EQ(failureOf(table, "A="), "'' is not a valid integer value");
    EXPECT_EQ(failureOf(table, "A=#5"), "'' is not a valid integer value");
    EXPECT_EQ(entriesOf(table), identity());

    // A bad set is read after the code has been stored.
    EXPECT_EQ(failureOf(table, "A=1\nB=66#"), "'' is not a valid integer value");
    Entries expected = identity();
    expected['A'] = {1, 1};
    expected['B'] = {66, 1};
    EXPECT_EQ(entriesOf(table), expected);

    EXPECT_EQ(failureOf(table, "a..c=1#x"), "'x' is not a valid integer value");
    expected = identity();
    expected['a'] = {'b', 1};
    EXPECT_EQ(entriesOf(table), expected);
}

TEST(CodePageTable, RefusesValuesOutOfRange) {
    CodePageTable table;
    for (const char* line : {"B=5\nA=65536", "B=5\nA=-1", "B=5\nA=$FFFFFFFF"}) {
        EXPECT_EQ(failureOf(table, line), "Range check error") << line;
        Entries expected = identity();
        expected['B'] = {5, 1};
        EXPECT_EQ(entriesOf(table), expected) << line;
    }
    for (const char* line : {"A=1#256", "A=1#-1"}) {
        EXPECT_EQ(failureOf(table, line), "Range check error") << line;
        Entries expected = identity();
        expected['A'] = {1, 1};
        EXPECT_EQ(entriesOf(table), expected) << line;
    }

    // 'A' + 65470 is the highest code there is; 'B' passes it.
    EXPECT_EQ(failureOf(table, "A--Z=65470#9"), "Range check error");
    Entries expected = identity();
    expected['A'] = {65535, 9};
    EXPECT_EQ(entriesOf(table), expected);
}

TEST(CodePageTable, SetMarkBeyondThe255thValueCharacterIsRefused) {
    CodePageTable table;
    const std::string atLimit = "A=" + std::string(253, ' ') + "1#3";
    EXPECT_EQ(failureOf(table, atLimit), "loaded");
    EXPECT_EQ(table.code('A'), 1);
    EXPECT_EQ(table.marker('A'), 3);

    const std::string pastLimit = "A=" + std::string(254, ' ') + "1#3";
    EXPECT_EQ(failureOf(table, pastLimit), "Range check error");
    EXPECT_EQ(entriesOf(table), identity());
}

TEST(CodePageTable, LineNeedsANameBeforeItsEqualsSign) {
    CodePageTable table = loadedTable();
    Entries expected = identity();
    expected['B'] = {2, 1};
    EXPECT_EQ(failureOf(table, "B=2\n=5"), "Range check error");
    EXPECT_EQ(entriesOf(table), expected);
    EXPECT_EQ(failureOf(table, "B=2\nC5"), "Range check error");
    EXPECT_EQ(entriesOf(table), expected);
}

TEST(CodePageTable, ShippedTablesLoad) {
    struct Page {
        const char* name;
        int textMarker;
        int boxCount;
    };
    for (const Page& page : {Page{"866", 204, 48}, Page{"437", 1, 48}, Page{"850", 1, 28},
                             Page{"852", 238, 28}, Page{"1125", 204, 48}}) {
        SCOPED_TRACE(page.name);
        CodePageTable table;
        const std::string fileName = MARLET_DATA_DIR "/"s + page.name + ".cp";
        ASSERT_EQ(fileFailureOf(table, fileName), "loaded");
        EXPECT_EQ(table.code(0), 0);
        EXPECT_EQ(table.marker(0), 1);
        for (int b = 1; b < 0x20; ++b) {
            EXPECT_EQ(table.code(b), b);
            EXPECT_EQ(table.marker(b), page.textMarker);
        }
        EXPECT_EQ(table.code(' '), ' ');
        EXPECT_EQ(table.marker('A'), page.textMarker);
        EXPECT_EQ(table.marker(0x7F), InvisibleMarker);
        EXPECT_EQ(table.code(0xFF), 0x00A0);
        EXPECT_EQ(table.marker(0xFF), page.textMarker);
        int boxCount = 0;
        for (int b = 0; b < 256; ++b) {
            if (table.marker(b) != BoxDrawingMarker)
                continue;
            ++boxCount;
            EXPECT_TRUE(b >= 0xB0 && b <= 0xDF) << b;
            EXPECT_EQ(table.code(b), b);
        }
        EXPECT_EQ(boxCount, page.boxCount);
        EXPECT_EQ(table.marker(0xB3), BoxDrawingMarker);
        EXPECT_EQ(table.marker(0xC9), BoxDrawingMarker);
    }
}

TEST(CodePageTable, ShippedTablesPrintLettersAtFramePositions) {
    CodePageTable table;
    table.load(MARLET_DATA_DIR "/866.cp");
    EXPECT_EQ(table.code(0x80), 0x0410); // А
    EXPECT_EQ(table.marker(0x80), 204);
    EXPECT_EQ(table.code(0xEF), 0x044F); // я
    EXPECT_EQ(table.code(0xC9), 0xC9);
    EXPECT_EQ(table.marker(0xC9), BoxDrawingMarker);
    EXPECT_EQ(table.code(0x0A), 10);

    table.load(MARLET_DATA_DIR "/437.cp");
    EXPECT_EQ(table.code(0x80), 0x00C7); // Ç
    EXPECT_EQ(table.marker(0x80), 1);

    table.load(MARLET_DATA_DIR "/850.cp");
    EXPECT_EQ(table.code(0xB5), 0x00C1); // Á
    EXPECT_EQ(table.marker(0xB5), 1);
    EXPECT_EQ(table.code(0xB3), 0xB3);
    EXPECT_EQ(table.marker(0xB3), BoxDrawingMarker);

    table.load(MARLET_DATA_DIR "/852.cp");
    EXPECT_EQ(table.code(0xB7), 0x011A); // Ě
    EXPECT_EQ(table.marker(0xB7), 238);
    EXPECT_EQ(table.code(0xD2), 0x010E); // Ď
    EXPECT_EQ(table.marker(0xD2), 238);
    EXPECT_EQ(table.marker(0xDF), BoxDrawingMarker);

    table.load(MARLET_DATA_DIR "/1125.cp");
    EXPECT_EQ(table.code(0xF2), 0x0490); // Ґ, where 866 has Є
    EXPECT_EQ(table.marker(0xF2), 204);
}

TEST(CodePageList, NamesEntriesUpToTheirFirstDot) {
    TemporaryFolder folder;
    folder.file("x.y.cp");
    folder.file("866.cp");
    folder.file("notes.txt");
    folder.file("old.cpx");
    std::filesystem::create_directory(folder.path() + "/dir.cp");
    std::vector<std::string> names = listCodePages(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"866", "dir", "x"}));
    EXPECT_TRUE(listCodePages(folder.path() + "/missing").empty());
}
