#include "base/Utf.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(Utf, ValidTextRoundTrips) {
  for (std::string s : {"", "plain", "準備完了", "emoji 🎬 clip", "ä/ö/ü"}) {
    EXPECT_EQ(ToNarrow(ToWide(s)), s);
    EXPECT_EQ(ToDisplayText(ToWide(s)), s);
  }
  EXPECT_EQ(ToWide("停止"), u"停止");
  EXPECT_EQ(ToWide("🎬").size(), 2u);
}

TEST(Utf, InvalidBytesSurviveTheRoundTripButDisplayAsReplacement) {
  const std::string name = "/m/caf\xE9\xFF\xC3.mp4";
  const std::u16string wide = ToWide(name);
  EXPECT_EQ(ToNarrow(wide), name);
  EXPECT_EQ(ToDisplayText(wide), "/m/caf\uFFFD\uFFFD\uFFFD.mp4");
  EXPECT_EQ(ToNarrow(u"\xD800x"), "\uFFFDx");
}

}  // namespace
}  // namespace korvane
