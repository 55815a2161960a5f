#include "base/StringList.h"

#include <gtest/gtest.h>

#include "base/TextCompare.h"

namespace korvane {
namespace {

TEST(TextCompare, IgnoresCaseAcrossScripts) {
  EXPECT_EQ(CompareTextIgnoreCase("Thumbs.db", "THUMBS.DB"), 0);
  EXPECT_EQ(CompareTextIgnoreCase("ÄRGER", "ärger"), 0);
  EXPECT_EQ(CompareTextIgnoreCase("ＡＢＣ", "ａｂｃ"), 0);
  EXPECT_LT(CompareTextIgnoreCase("apple", "Banana"), 0);
  EXPECT_LT(CompareTextIgnoreCase("a", "ab"), 0);
  EXPECT_GT(CompareTextIgnoreCase("b", "A"), 0);
}

TEST(TextCompare, InvalidBytesHaveAStablePlaceAfterText) {
  const std::string bad = "caf\xE9";
  EXPECT_GT(CompareTextIgnoreCase(bad, "café"), 0);
  EXPECT_EQ(CompareTextIgnoreCase(bad, "CAF\xE9"), 0);
  EXPECT_NE(CompareTextIgnoreCase("\xFF", "\xFE"), 0);
}

TEST(StringList, SortedIgnoringDuplicatesKeepsOneOfEachIgnoringCase) {
  TStringList list(true, true);
  EXPECT_EQ(list.Add("/b/"), 0);
  EXPECT_EQ(list.Add("/A/"), 0);
  EXPECT_EQ(list.Add("/a/"), -1);
  EXPECT_EQ(list.Add("/c/"), 2);
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(list[0], "/A/");
  EXPECT_EQ(list[1], "/b/");
  EXPECT_EQ(list.IndexOf("/B/"), 1);
  EXPECT_EQ(list.IndexOf("/d/"), -1);
  list.Add("");
  EXPECT_EQ(list[0], "");
  EXPECT_TRUE(list.Contains(""));
}

TEST(StringList, UnsortedKeepsInsertionOrderAndDuplicates) {
  TStringList list;
  list.Add("z");
  list.Add("a");
  list.Add("z");
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(list[0], "z");
  EXPECT_EQ(list[2], "z");
  list.Delete(0);
  list.Delete(10);
  EXPECT_EQ(list[0], "a");
  TStringList unique(false, true);
  unique.Add("x");
  EXPECT_EQ(unique.Add("X"), -1);
}

}  // namespace
}  // namespace korvane
