#include "EscapedBytes.h"

#include <gtest/gtest.h>

using namespace marlet;

TEST(EscapedBytes, ReadsTheEscapesForControlBytes) {
    EXPECT_EQ(unescapeBytes("\\eE"), "\x1B"
                                     "E");
    EXPECT_EQ(unescapeBytes("\\e(s3B\\x0f\\xC0"), "\x1B(s3B\x0F\xC0");
    EXPECT_EQ(unescapeBytes("c:\\\\prnspl"), "c:\\prnspl");
    EXPECT_EQ(unescapeBytes("\\r\\n\\t\\f"), "\r\n\t\f");
    EXPECT_EQ(unescapeBytes("Русский"), "Русский");
    EXPECT_EQ(unescapeBytes("\\x00"), std::string("\0", 1));
}

TEST(EscapedBytes, RefusesABackslashThatEscapesNothing) {
    for (const char* text : {"c:\\prnspl", "\\", "\\x4", "\\xG0", "\\E"})
        EXPECT_EQ(unescapeBytes(text), std::nullopt) << text;
}

TEST(EscapedBytes, ShowsBytesInTheNotationItReads) {
    EXPECT_EQ(escapeBytes("\x1B"
                          "E"),
              "\\eE");
    EXPECT_EQ(escapeBytes("\x1B@\x0F\r\n\t\f\x7F"), "\\e@\\x0F\\r\\n\\t\\f\\x7F");
    EXPECT_EQ(escapeBytes("c:\\prnspl"), "c:\\\\prnspl");
    // UTF-8 text stays readable; bytes that are not UTF-8 are shown one by one.
    EXPECT_EQ(escapeBytes("Русский"), "Русский");
    EXPECT_EQ(escapeBytes("\xD0\xF3\xF1"), "\\xD0\\xF3\\xF1");
    EXPECT_EQ(escapeBytes("\xC2\x9B"), "\\xC2\\x9B");

    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte.push_back(static_cast<char>(byte));
    EXPECT_EQ(unescapeBytes(escapeBytes(everyByte)), everyByte);
    EXPECT_EQ(unescapeBytes(escapeBytes("\x1BГост\\")), "\x1BГост\\");
}
