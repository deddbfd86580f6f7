#include "config/DropList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace marlet;
using namespace std::string_literals;

// "\033" is ESC: an octal escape stops after three digits, so the letters after it stay.

TEST(DropList, OneSequencePerLineWithAnyLineEnd) {
    EXPECT_EQ(parseDropList("\033E\r\033F\n\033G\r\n\033H"),
              (std::vector<std::string>{"\033E", "\033F", "\033G", "\033H"}));
}

TEST(DropList, EmptyLinesAreIgnored) {
    EXPECT_EQ(parseDropList("\r\n\n\033E\r\r\n\n\r\033F\r\n\r\n"),
              (std::vector<std::string>{"\033E", "\033F"}));
    EXPECT_TRUE(parseDropList("").empty());
    EXPECT_TRUE(parseDropList("\r\n\r\n").empty());
}

TEST(DropList, BytesAreKeptRaw) {
    EXPECT_EQ(parseDropList("\033(s3B\t \x8E\xFF\x00\x01\n"s),
              (std::vector<std::string>{"\033(s3B\t \x8E\xFF\x00\x01"s}));
}

TEST(DropList, First256SequencesAreUsed) {
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += "\033" + std::to_string(i) + (i % 2 ? "\r\n\n" : "\r");
    const std::vector<std::string> sequences = parseDropList(bytes);
    ASSERT_EQ(sequences.size(), 256u);
    EXPECT_EQ(sequences.front(), "\0330");
    EXPECT_EQ(sequences.back(), "\033" + std::to_string(255));
}

TEST(DropList, ReadsTheFileAndToleratesItsAbsence) {
    // The fixture mixes CR LF, LF and CR ends and has empty lines between its sequences.
    EXPECT_EQ(
        readDropList(std::string(MARLET_TEST_DATA) + "/seq/unused.seq"),
        (std::vector<std::string>{"\033E", "\033F", "\033(s3B", "\033&l1O\x8E\xFF", "\033@"}));
    EXPECT_TRUE(readDropList(std::string(MARLET_TEST_DATA) + "/seq/missing.seq").empty());
    EXPECT_TRUE(readDropList(MARLET_TEST_DATA).empty());
}
