#include <gtest/gtest.h>

#include <algorithm>

#include "config/Profile.h"

namespace korvane {
namespace {

TEST(ConfigProfileTest, ReadsLikeTheProfileFunctions) {
  const TProfile ini = TProfile::Parse(
      "Top=before any section\n"
      "[ Main ]\r\n"
      "  Name  =  spaced out  \r\n"
      "name=second\r\n"
      "Quoted=\"  kept  \"\r\n"
      "Single='x'\n"
      "Half=\"open\n"
      "; Hidden=1\n"
      "[MAIN]\n"
      "Other=from the second copy\n");
  EXPECT_EQ(ini.ReadString("main", "NAME"), "spaced out");
  EXPECT_EQ(ini.ReadString("Main", "Quoted"), "  kept  ");
  EXPECT_EQ(ini.ReadString("Main", "Single"), "x");
  EXPECT_EQ(ini.ReadString("Main", "Half"), "\"open");
  EXPECT_FALSE(ini.ReadString("Main", "; Hidden"));
  EXPECT_FALSE(ini.ReadString("Main", "Other"));  // the first section wins
  EXPECT_FALSE(ini.ReadString("Main", "Top"));
  EXPECT_FALSE(ini.ReadString("Missing", "Name"));
  std::vector<std::string> keys = ini.KeyNames("main");
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"half", "name", "quoted", "single"}));
  EXPECT_TRUE(ini.KeyNames("missing").empty());
}

TEST(ConfigProfileTest, LongValuesAreCutWithoutSplittingACharacter) {
  const std::string ascii(3000, 'a');
  EXPECT_EQ(TProfile::Parse("[S]\nK=" + ascii + "\n").ReadString("S", "K")->size(), kProfileValueMax);
  const std::string wide = std::string(2046, 'a') + "é";  // the cut falls inside "é"
  EXPECT_EQ(*TProfile::Parse("[S]\nK=" + wide + "\n").ReadString("S", "K"), std::string(2046, 'a'));
}

TEST(ConfigProfileTest, WritesReplaceInPlaceAndAppendWhereMissing) {
  TProfile ini = TProfile::Parse(
      "[A]\r\n"
      "KEY=old ; note\r\n"
      "; comment\r\n"
      "\r\n"
      "[B]\r\n"
      "x=1");
  ini.WriteString("a", "key", "new");
  ini.WriteString("A", "Added", "2");
  ini.WriteString("B", "y", "3");
  ini.WriteString("C", "z", "4");
  EXPECT_EQ(ini.Text(),
            "[A]\r\n"
            "KEY=new\r\n"
            "; comment\r\n"
            "Added=2\r\n"
            "\r\n"
            "[B]\r\n"
            "x=1\r\n"
            "y=3\r\n"
            "[C]\r\n"
            "z=4\r\n");
}

TEST(ConfigProfileTest, WrittenValuesReadBackUnchanged) {
  TProfile ini;
  for (const std::string value : {" lead", "trail ", "\"both\"", "'one'", "a=b", "\"half"}) {
    ini.WriteString("S", "K", value);
    EXPECT_EQ(TProfile::Parse(ini.Text()).ReadString("S", "K"), value);
  }
  ini.WriteString("S", "K", "two\nlines\r[Evil]");
  EXPECT_TRUE(TProfile::Parse(ini.Text()).KeyNames("Evil").empty());
}

TEST(ConfigProfileTest, EveryLineEndingReadsAndWritesBackTheSame) {
  const auto withEndings = [](const std::vector<std::string>& eols) {
    const std::vector<std::string> lines = {"[Hidden]", "FHidden=0", "; note", "[LowerSize]", "FLowerSize=12"};
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += lines[i] + eols[i % eols.size()];
    return text;
  };
  for (const auto& eols : std::vector<std::vector<std::string>>{
           {"\n"}, {"\r\n"}, {"\r"}, {"\r", "\n", "\r\n"}, {"\r\n", "\r"}}) {
    const std::string text = withEndings(eols);
    TProfile ini = TProfile::Parse(text);
    EXPECT_EQ(ini.ReadString("Hidden", "FHidden"), "0") << testing::PrintToString(text);
    EXPECT_EQ(ini.ReadString("LowerSize", "FLowerSize"), "12") << testing::PrintToString(text);
    EXPECT_EQ(ini.KeyNames("Hidden"), std::vector<std::string>{"fhidden"});
    ini.WriteString("Hidden", "FHidden", "1");
    ini.WriteString("LowerSize", "FAdded", "2");
    std::string expected = text;
    expected.replace(expected.find("FHidden=0"), 9, "FHidden=1");
    expected += "FAdded=2" + eols[0];  // a new line takes the file's first ending
    EXPECT_EQ(ini.Text(), expected);
  }
}

}  // namespace
}  // namespace korvane
