#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/KorvaneProcess.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

// Distinct colours in the middle of a screenshot: a test pattern has hundreds, a blank panel one.
int ColoursInTheMiddle(const std::string& png) {
  const std::string command = "convert '" + png + "' -gravity center -crop 50%x50%+0+0 -format %k info:";
  FILE* pipe = popen(command.c_str(), "r");
  int colours = 0;
  if (pipe) {
    if (fscanf(pipe, "%d", &colours) != 1) colours = 0;
    pclose(pipe);
  }
  return colours;
}

class MainFormWholeProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
  }
  TempDir media;
};

TEST_F(MainFormWholeProgram, PlaysAFolderOfThreeClipsThroughToTheEnd) {
  const std::string clips = media.MakeDir("clips");
  // Made out of order: the list plays them sorted.
  std::vector<std::string> expected;
  for (const char* name : {"c.mp4", "a.mp4", "B.mp4"}) ASSERT_FALSE(MakeClip(clips, name, 2).empty());
  expected = {clips + "/a.mp4", clips + "/B.mp4", clips + "/c.mp4"};

  TKorvaneProcess korvane({clips});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();

  std::vector<std::string> played;
  bool pictureSeen = false;
  const bool ended = WaitUntil([&] {
    const std::vector<std::string> open = korvane.OpenFilesBelow(clips);
    for (const std::string& path : open)
      if (played.empty() || played.back() != path) played.push_back(path);
    if (!open.empty() && !pictureSeen && korvane.Screenshot(media / "shot.png"))
      pictureSeen = ColoursInTheMiddle(media / "shot.png") > 50;
    return played.size() >= expected.size() && open.empty();
  }, 40s);
  EXPECT_TRUE(ended) << korvane.Stderr();
  EXPECT_EQ(played, expected);
  EXPECT_TRUE(pictureSeen);
  EXPECT_TRUE(korvane.Running());

  korvane.Close();
  EXPECT_EQ(korvane.WaitForExit(10s), 0) << korvane.Stderr();
}

TEST_F(MainFormWholeProgram, ShowsItsIconAndClosingTheWindowSavesTheSettingsAndEnds) {
  TKorvaneProcess korvane({});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  EXPECT_EQ(korvane.Caption(), "MainForm");
  EXPECT_NE(CommandOutput("xprop -id " + std::to_string(korvane.Window()) + " _NET_WM_ICON").find("Icon ("), std::string::npos)
      << "the window carries no icon";
  korvane.Close();
  EXPECT_EQ(korvane.WaitForExit(10s), 0) << korvane.Stderr();
  EXPECT_FALSE(ReadFile(korvane.IniPath()).empty());
}

}  // namespace
}  // namespace korvane::test
