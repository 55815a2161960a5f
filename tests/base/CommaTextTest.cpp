#include "base/CommaText.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TStringList List(std::initializer_list<const char*> items) {
  TStringList list;
  for (const char* item : items) list.Add(item);
  return list;
}

std::vector<std::string> Split(std::string_view text) {
  TStringList out;
  out.Add("left over");
  SplitCommaText(text, out);
  return out.Items();
}

TEST(CommaText, TheTwoArgumentExamplesByteForByte) {
  const std::string first = ToCommaText(List({"C:\\a b\\x.avi", "D:\\clips"}));
  EXPECT_EQ(first, "\"C:\\a b\\x.avi\",D:\\clips");
  EXPECT_EQ(first.size(), 23u);
  const std::string second = ToCommaText(List({"C:\\My Videos", "D:\\a,b.wmv"}));
  EXPECT_EQ(second, "\"C:\\My Videos\",\"D:\\a,b.wmv\"");
  EXPECT_EQ(second.size(), 27u);
  EXPECT_EQ(ToCommaText(List({"1,2.mpg"})), "\"1,2.mpg\"");
  EXPECT_EQ(Split(first), (std::vector<std::string>{"C:\\a b\\x.avi", "D:\\clips"}));
  EXPECT_EQ(Split(second), (std::vector<std::string>{"C:\\My Videos", "D:\\a,b.wmv"}));
}

TEST(CommaText, QuotesAreDoubledInsideAndEveryControlByteQuotes) {
  EXPECT_EQ(ToCommaText(List({"say \"hi\""})), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(Split("\"say \"\"hi\"\"\""), (std::vector<std::string>{"say \"hi\""}));
  EXPECT_EQ(ToCommaText(List({"a\tb", "c\nd", "plain"})), "\"a\tb\",\"c\nd\",plain");
  EXPECT_EQ(ToCommaText(List({"a\"b"})), "\"a\"\"b\"");
}

TEST(CommaText, EmptyItems) {
  EXPECT_EQ(ToCommaText(List({""})), "\"\"");
  EXPECT_EQ(Split("\"\""), (std::vector<std::string>{""}));
  EXPECT_EQ(ToCommaText(List({"a", "", "b"})), "a,,b");
  EXPECT_EQ(Split("a,,b"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Split("a,"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(ToCommaText(TStringList()), "");
  EXPECT_TRUE(Split("").empty());
  EXPECT_TRUE(Split("  \t").empty());
}

TEST(CommaText, ABlankOutsideQuotesEndsAnItem) {
  EXPECT_EQ(Split("a b"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Split("  a ,  b  "), (std::vector<std::string>{"a", "b"}));
}

TEST(CommaText, MultibyteUtf8TravelsUnchanged) {
  const TStringList list = List({"/動画/日本語.mp4", "/動画/スペース 入り.mkv", "caf\xE9"});
  const std::string text = ToCommaText(list);
  EXPECT_EQ(text, "/動画/日本語.mp4,\"/動画/スペース 入り.mkv\",caf\xE9");
  EXPECT_EQ(Split(text), list.Items());
}

TEST(CommaText, ReadingStopsAtTheFirstNulAndAtAMissingClosingQuote) {
  EXPECT_EQ(Split(std::string_view("a,b\0,c", 6)), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Split("\"open ended"), (std::vector<std::string>{"open ended"}));
}

}  // namespace
}  // namespace korvane
