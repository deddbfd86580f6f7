#include "languages/pcl/PclRowDecoder.h"

#include <gtest/gtest.h>

using namespace marlet;

namespace {

std::vector<std::uint8_t> row(std::initializer_list<int> values) {
    return std::vector<std::uint8_t>(values.begin(), values.end());
}

std::string data(std::initializer_list<int> values) {
    std::string out;
    for (int value : values)
        out += static_cast<char>(value);
    return out;
}

} // namespace

TEST(PclRowDecoderTest, EachModeUnpacksItsRows) {
    PclRowDecoder decoder;
    EXPECT_EQ(decoder.decode(data({0xF0, 0x0F})), row({0xF0, 0x0F}));
    decoder.setMode(1);
    // Three times 0xAA, once 0x55; an odd byte at the end is half a pair and goes.
    EXPECT_EQ(decoder.decode(data({2, 0xAA, 0, 0x55, 7})), row({0xAA, 0xAA, 0xAA, 0x55}));
    decoder.setMode(2);
    // Two literal bytes, 0xFF four times, a no-op, one literal.
    EXPECT_EQ(decoder.decode(data({1, 0x12, 0x34, 0xFD, 0xFF, 0x80, 0, 0x56})),
              row({0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFF, 0x56}));
    // A literal run cut by the end of the row gives what it holds.
    EXPECT_EQ(decoder.decode(data({3, 0x01})), row({0x01}));
}

TEST(PclRowDecoderTest, DeltaRowsChangeTheSeedRow) {
    PclRowDecoder decoder;
    decoder.decode(data({1, 2, 3, 4}));
    decoder.setMode(3);
    // Two bytes at offset 1; then one byte 0 bytes after the end of the last change.
    EXPECT_EQ(decoder.decode(data({0x21, 0xAA, 0xBB, 0x00, 0xCC})), row({1, 0xAA, 0xBB, 0xCC}));
    // An empty row repeats the seed.
    EXPECT_EQ(decoder.decode(""), row({1, 0xAA, 0xBB, 0xCC}));
    // An offset of 31 goes on in the next bytes: 31 + 255 + 4 = 290.
    const std::vector<std::uint8_t>& wide = decoder.decode(data({0x1F, 0xFF, 0x04, 0x77}));
    ASSERT_EQ(wide.size(), 291u);
    EXPECT_EQ(wide[290], 0x77);
    EXPECT_EQ(wide[289], 0);
    decoder.clearSeed();
    EXPECT_EQ(decoder.decode(data({0x01, 0x09})), row({0, 0x09}));
}
