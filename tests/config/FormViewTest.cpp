#include <gtest/gtest.h>

#include "config/Config.h"

namespace korvane {
namespace {

std::vector<std::string> Items(const TNameSet& set) { return {set.begin(), set.end()}; }

TEST(ConfigFormViewTest, DefaultsFillTheControls) {
  ConfigFormView view;
  view.MemIgnoreList = "left over";
  TConfig().ToForm(view);
  EXPECT_FALSE(view.ChkReadOnly);
  EXPECT_TRUE(view.ChkHidden);
  EXPECT_TRUE(view.ChkSysFile);
  EXPECT_EQ(view.MemIgnoreList, "");
  EXPECT_EQ(view.MemIgnoreExt, "");
  EXPECT_EQ(view.EditLowerSizeText, "512000");
  EXPECT_EQ(view.EditLowerSizeTag, 512000);
}

TEST(ConfigFormViewTest, LinesBecomeSortedTrimmedEntries) {
  TConfig config;
  ConfigFormView view;
  view.MemIgnoreList = "  Thumbs.db \r\ndesktop.ini\n\r\n\tTHUMBS.DB\rb.txt\r\n";
  view.MemIgnoreExt = ".db";
  view.EditLowerSizeText = "not what counts";
  view.EditLowerSizeTag = 7;
  config.FromForm(view);
  EXPECT_EQ(Items(config.FIgnoreList), (std::vector<std::string>{"", "b.txt", "desktop.ini", "Thumbs.db"}));
  EXPECT_EQ(Items(config.FIgnoreExt), (std::vector<std::string>{".db"}));
  EXPECT_EQ(config.FLowerSize, 7);

  view.MemIgnoreList = "";
  config.FromForm(view);
  EXPECT_TRUE(config.FIgnoreList.Empty());
}

TEST(ConfigFormViewTest, ShowingAndApplyingKeepsTheSets) {
  TConfig config;
  for (const char* ext : {"", ".db", ".INI"}) config.FIgnoreExt.Add(ext);
  config.FIgnoreList.Add(std::string(300, 'w') + ".txt");
  ConfigFormView view;
  config.ToForm(view);
  EXPECT_EQ(view.MemIgnoreExt, "\r\n.db\r\n.INI");
  TConfig applied;
  applied.FromForm(view);
  EXPECT_EQ(Items(applied.FIgnoreExt), Items(config.FIgnoreExt));
  EXPECT_EQ(Items(applied.FIgnoreList), Items(config.FIgnoreList));

  TConfig onlyEmpty;
  onlyEmpty.FIgnoreExt.Add("");
  onlyEmpty.ToForm(view);
  applied.FromForm(view);
  EXPECT_EQ(Items(applied.FIgnoreExt), std::vector<std::string>{""});
}

}  // namespace
}  // namespace korvane
