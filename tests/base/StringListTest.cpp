#include "base/StringList.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <thread>

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

TEST(TextCompare, FollowsTheCollationNotTheCodePoints) {
  EXPECT_LT(CompareTextIgnoreCase("Äpfel", "Zebra"), 0);
  EXPECT_LT(CompareTextIgnoreCase("école", "Ecrire"), 0);
  EXPECT_NE(CompareTextIgnoreCase("Äpfel", "Apfel"), 0);  // accents still count
  EXPECT_EQ(CompareTextIgnoreCase("Ÿ", "ÿ"), 0);
  EXPECT_EQ(CompareTextIgnoreCase("STRASSE", "straße"), 0);  // full case folding
  EXPECT_EQ(CompareTextIgnoreCase("ΣΊΣΥΦΟΣ", "σίσυφος"), 0);
  EXPECT_EQ(FoldCaseKey("@AZ[`az{ MIXED Case, LONG ENOUGH FOR WORDS"), "@az[`az{ mixed case, long enough for words");
  EXPECT_EQ(FoldCaseKey("ÄRGER \xFF ÜBER ẞ"), "ärger \xFF über ss");
}

// Equal exactly when the hash keys are equal, and a consistent order: what the
// sorted lists and the hashed name sets rely on.
TEST(TextCompare, EqualityAgreesWithTheFoldedKeys) {
  const std::vector<std::string> texts = {"", "a", "A", "ａ", "Ａ", "ß", "ss", "SS", "ẞ", "あ", "ア", "ｱ", "é",
                                          "e\u0301", "E\u0301", "I", "ı", "İ", "i", "\xFF", "\xFE", "a\x01b", "ab"};
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      const int ab = CompareTextIgnoreCase(a, b);
      EXPECT_EQ(ab == 0, FoldCaseKey(a) == FoldCaseKey(b)) << a << " / " << b;
      EXPECT_EQ(ab, -CompareTextIgnoreCase(b, a)) << a << " / " << b;
      for (const std::string& c : texts) {
        if (ab < 0 && CompareTextIgnoreCase(b, c) < 0) {
          EXPECT_LT(CompareTextIgnoreCase(a, c), 0) << a << b << c;
        }
      }
    }
  }
}

// Each thread opens its collator for the locale in force when it first compares.
TEST(TextCompare, UsesTheUsersCollationLocale) {
  const char* old = std::getenv("LC_ALL");
  const std::string saved = old ? old : "";
  int swedish = 0, german = 0;
  ::setenv("LC_ALL", "sv_SE.UTF-8", 1);
  std::thread([&] { swedish = CompareTextIgnoreCase("Äpfel", "Zebra"); }).join();
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  std::thread([&] { german = CompareTextIgnoreCase("Äpfel", "Zebra"); }).join();
  old ? ::setenv("LC_ALL", saved.c_str(), 1) : ::unsetenv("LC_ALL");
  EXPECT_GT(swedish, 0);  // Ä is a letter after Z in Swedish
  EXPECT_LT(german, 0);
}

TEST(StringList, SortedIgnoringDuplicatesDropsOnlyEqualBytes) {
  TStringList list(true, true);
  EXPECT_EQ(list.Add("/b/"), 0);
  EXPECT_EQ(list.Add("/a/"), 0);
  EXPECT_EQ(list.Add("/a/"), -1);
  // Two files on this system: both stay, next to each other, in byte order.
  EXPECT_EQ(list.Add("/A/"), 0);
  EXPECT_EQ(list.Add("/c/"), 3);
  EXPECT_EQ(list.Add("/B/"), 2);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"/A/", "/a/", "/B/", "/b/", "/c/"}));
  EXPECT_EQ(list.IndexOf("/b/"), 3);
  EXPECT_EQ(list.IndexOf("/C/"), -1);
  EXPECT_EQ(list.IndexOfSameText("/C/"), 4);
  EXPECT_EQ(list.IndexOfSameText("/b/"), 2);
  EXPECT_EQ(list.IndexOfSameText("/d/"), -1);
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
  EXPECT_EQ(unique.Add("x"), -1);
  EXPECT_EQ(unique.Add("X"), 1);
  EXPECT_EQ(unique.IndexOf("X"), 1);
}

}  // namespace
}  // namespace korvane
