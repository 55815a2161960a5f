#include "base/Format.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace korvane {
namespace {

const NumberStyle kPoint{".", ","};
const NumberStyle kComma{",", "."};

TEST(Format, PositionTextOfTheStatusBar) {
  EXPECT_EQ(Format("%s(%f秒) / %s(%f秒)", {"01:23", 83.456, "04:56", 296.123}, kPoint), "01:23(83.46秒) / 04:56(296.12秒)");
  EXPECT_EQ(Format("%s(%f秒) / %s(%f秒)", {"00:00", 0.0, "04:56", 296.12}, kComma), "00:00(0,00秒) / 04:56(296,12秒)");
}

TEST(Format, ConversionLettersIgnoreCase) {
  EXPECT_EQ(Format("%s %dx%D %s", {"Korvane", 640, 480, "intro"}, kPoint), "Korvane 640x480 intro");
  EXPECT_EQ(Format("%S|%F", {"a", 1.5}, kPoint), "a|1.50");
}

TEST(Format, PrecisionAndWidth) {
  EXPECT_EQ(Format("%.2f[MB]", {1048576.0 / 1048576}, kPoint), "1.00[MB]");
  EXPECT_EQ(Format("%.2f[MB]", {3670016.0 / 1048576}, kComma), "3,50[MB]");
  EXPECT_EQ(Format("%2.2d:%2.2d", {5, 12}, kPoint), "05:12");
  EXPECT_EQ(Format("%.3d", {-7}, kPoint), "-007");
  EXPECT_EQ(Format("%5d|%.0f|%%", {42, 2.5}, kPoint), "   42|2|%");
  EXPECT_EQ(Format("%f", {-0.001}, kPoint), "0.00");
  EXPECT_EQ(Format("%d", {int64_t{1} << 40}, kPoint), "1099511627776");
}

TEST(Format, MismatchOrMissingArgumentThrows) {
  EXPECT_THROW(Format("%d", {1.5}, kPoint), std::invalid_argument);
  EXPECT_THROW(Format("%s", {3}, kPoint), std::invalid_argument);
  EXPECT_THROW(Format("%d %d", {3}, kPoint), std::invalid_argument);
  EXPECT_THROW(Format("abc %", {}, kPoint), std::invalid_argument);
  EXPECT_THROW(Format("%q", {1}, kPoint), std::invalid_argument);
}

}  // namespace
}  // namespace korvane
