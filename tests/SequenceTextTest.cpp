// Stored sequences in the editor: bytes as Windows-1251 characters, a typed ESC stored as ESC.

#include "SequenceText.h"

#include <gtest/gtest.h>

using namespace marlet;

TEST(SequenceTextTest, BytesAreWindows1251CharactersBothWays) {
    const std::string bytes = "\x1b(s3B\x0f\xc6\x88\x98\x7f";
    const QString text = sequenceText(bytes);
    EXPECT_EQ(text, QStringLiteral("\x1b(s3B\x0fЖ€") + QChar(0x98) + QChar(0x7f));
    // DEL is how the editor holds a typed ESC, so it goes back as ESC.
    EXPECT_EQ(sequenceBytes(text), "\x1b(s3B\x0f\xc6\x88\x98\x1b");
    EXPECT_EQ(sequenceBytes(QStringLiteral("a✓")), "a?");

    EXPECT_TRUE(isSequenceCharacter(QChar(0x1b)));
    EXPECT_TRUE(isSequenceCharacter(QChar(0x0416)));
    EXPECT_FALSE(isSequenceCharacter(QChar(0)));
    EXPECT_FALSE(isSequenceCharacter(QChar(0x2713)));
}
