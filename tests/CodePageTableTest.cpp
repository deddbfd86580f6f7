#include "charset/CodePageTable.h"

#include <gtest/gtest.h>

using namespace marlet;

TEST(CodePageTable, EveryByteIsZeroBeforeAnyLoad) {
    CodePageTable table;
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(table.code(static_cast<std::uint8_t>(b)), 0);
        EXPECT_EQ(table.marker(static_cast<std::uint8_t>(b)), 0);
    }
}
