#include "base/IntParse.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(IntParse, DecimalWithinSigned32Bits) {
  EXPECT_EQ(ParseInt("512000"), 512000);
  EXPECT_EQ(ParseInt(" 12"), 12);
  EXPECT_EQ(ParseInt("\t-5"), -5);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_EQ(ParseInt("007"), 7);
  EXPECT_EQ(ParseInt("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt("2147483648"), std::nullopt);
  EXPECT_EQ(ParseInt("-2147483649"), std::nullopt);
  EXPECT_EQ(ParseInt("99999999999999999999"), std::nullopt);
}

TEST(IntParse, HexadecimalIsA32BitPattern) {
  EXPECT_EQ(ParseInt("0x400"), 1024);
  EXPECT_EQ(ParseInt("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseInt("X1f"), 31);
  EXPECT_EQ(ParseInt("x10"), 16);
  EXPECT_EQ(ParseInt("0X7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(ParseInt("$100000000"), std::nullopt);
  EXPECT_EQ(ParseInt("0x"), std::nullopt);
  EXPECT_EQ(ParseInt("-$10"), std::nullopt);
}

TEST(IntParse, AnythingElseGivesTheDefault) {
  for (const char* bad : {"", " ", "abc", "12 ", "1.5", "+", "-", "1e3", "0x12g", "12abc"}) {
    EXPECT_EQ(ParseInt(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(StrToIntDef("abc", 512000), 512000);
  EXPECT_EQ(StrToIntDef("0x400", 512000), 1024);
}

}  // namespace
}  // namespace korvane
