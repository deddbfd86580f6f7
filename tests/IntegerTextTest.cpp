#include "base/IntegerText.h"
#include "base/Error.h"
#include "base/Rounding.h"

#include <gtest/gtest.h>

using namespace marlet;

namespace {

std::string failureOf(std::string_view text) {
    try {
        parseInteger(text);
    } catch (const Error& e) {
        return e.what();
    }
    return "accepted";
}

} // namespace

TEST(IntegerText, ReadsDecimalAndHexadecimalForms) {
    EXPECT_EQ(parseInteger("66"), 66);
    EXPECT_EQ(parseInteger("  -12"), -12);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_EQ(parseInteger("$42"), 66);
    EXPECT_EQ(parseInteger("0x42"), 66);
    EXPECT_EQ(parseInteger("0X4a"), 74);
    EXPECT_EQ(parseInteger("x10"), 16);
    EXPECT_EQ(parseInteger("X10"), 16);
    EXPECT_EQ(parseInteger("-$10"), -16);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(parseInteger("$FFFFFFFF"), -1);
}

TEST(IntegerText, RefusesWithTheTextInTheMessage) {
    EXPECT_EQ(failureOf(""), "'' is not a valid integer value");
    EXPECT_EQ(failureOf("66 "), "'66 ' is not a valid integer value");
    EXPECT_EQ(failureOf("$"), "'$' is not a valid integer value");
    EXPECT_EQ(failureOf("0x"), "'0x' is not a valid integer value");
    EXPECT_EQ(failureOf("12a"), "'12a' is not a valid integer value");
    EXPECT_EQ(failureOf("- 1"), "'- 1' is not a valid integer value");
    EXPECT_EQ(failureOf("2147483648"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(failureOf("$100000000"), "'$100000000' is not a valid integer value");
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(2.5L), 2);
    EXPECT_EQ(roundHalfEven(3.5L), 4);
    EXPECT_EQ(roundHalfEven(-2.5L), -2);
    EXPECT_EQ(roundHalfEven(12.5L), 12);
    EXPECT_EQ(roundHalfEven(13.5L), 14);
    EXPECT_EQ(roundHalfEven(95.31L), 95);
    EXPECT_EQ(roundToField<std::uint16_t>(65535.4L), 65535);
    EXPECT_THROW(roundToField<std::uint16_t>(65535.6L), Error);
    EXPECT_THROW(roundToField<std::uint8_t>(-0.6L), Error);
    EXPECT_THROW(fitField<std::int32_t>(1.0L / 0.0L), Error);
}
