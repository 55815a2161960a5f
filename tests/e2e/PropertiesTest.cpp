// The player properties report on the real program playing a tagged clip, read
// as a user would take it away: selected and copied from each tab.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/e2e/DesktopDriver.h"
#include "tests/e2e/Images.h"
#include "harness/KorvaneProcess.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Holds(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class MainFormWholeProgramProperties : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
    clips = media.MakeDir("clips");
  }

  // A clip carrying a title and an artist, remuxed from the plain test clip.
  std::string MakeTaggedClip(const std::string& title, const std::string& artist) {
    const std::string plain = MakeClip(media.Path(), "plain.mp4", 60), tagged = clips + "/tagged.mp4";
    if (plain.empty()) return "";
    const TToolRun run = RunTool({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", plain, "-c", "copy", "-metadata",
                                  "title=" + title, "-metadata", "artist=" + artist, tagged});
    return run.status == 0 ? tagged : "";
  }

  // The shown tab's text, selected and copied; the first line tells which tab it is.
  std::vector<std::string> CopyTab(unsigned long dialog, const std::string& firstLineStart) {
    std::vector<std::string> lines;
    WaitUntil([&] {
      ClickAt(dialog, 225, 150);  // into the text box that fills the tab
      KeyTo(dialog, "ctrl+a");
      KeyTo(dialog, "ctrl+c");
      lines = Lines(ClipboardText());
      return !lines.empty() && lines[0].rfind(firstLineStart, 0) == 0;
    }, 15s);
    return lines;
  }

  TTempDir media;
  std::string clips;
};

TEST_F(MainFormWholeProgramProperties, TheReportOfATaggedClipFillsItsThreeTabs) {
  const std::string title = "夜の散歩", artist = "Ayame Test";
  const std::string clip = MakeTaggedClip(title, artist);
  ASSERT_FALSE(clip.empty());
  TKorvaneProcess korvane({clip}, "[LowerSize]\nFLowerSize=0\n");
  // The caption names the clip by its title once its tags are read.
  ASSERT_TRUE(WaitUntil([&] { return korvane.Caption() == "Korvane 480x360 " + title; }, 20s))
      << korvane.Caption() << "\n" << korvane.Stderr();

  ASSERT_TRUE(ChooseMenu(korvane, 2, 0));  // 確認 > プレイヤーのプロパティ確認...
  const unsigned long dialog = WaitForDialog(korvane, "PropForm", 15s);
  ASSERT_NE(dialog, 0u) << korvane.Stderr();

  // Line 1 names the hosted player's class and the versions of its engine.
  const std::vector<std::string> settings = CopyTab(dialog, "TMpvPlayer.versionInfo\t");
  ASSERT_EQ(settings.size(), 14u) << ClipboardText();
  EXPECT_GT(settings[0].size(), std::string("TMpvPlayer.versionInfo\t").size()) << "no version after the tab";
  EXPECT_EQ(settings[7], "IWMPSettings.mute\tOFF");
  EXPECT_EQ(settings[9], "IWMPSettings.rate\t1.00");

  KeyTo(dialog, "ctrl+Tab");
  const std::vector<std::string> mediaLines = CopyTab(dialog, "IWMPMedia.");
  ASSERT_GT(mediaLines.size(), 4u) << ClipboardText();
  EXPECT_EQ(mediaLines[0], "IWMPMedia.imageSourceWidth\t480");
  EXPECT_EQ(mediaLines[1], "IWMPMedia.imageSourceHeight\t360");
  EXPECT_EQ(mediaLines[2], "IWMPMedia.name\t" + title);
  EXPECT_EQ(mediaLines[3], "IWMPMedia.sourceURL\t" + clip);
  EXPECT_TRUE(Holds(mediaLines, "IWMPMedia.title\t" + title)) << ClipboardText();
  EXPECT_TRUE(Holds(mediaLines, "IWMPMedia.artist\t" + artist)) << ClipboardText();

  KeyTo(dialog, "ctrl+Tab");
  const std::vector<std::string> controls = CopyTab(dialog, "IWMPControls.");
  // A clip that plays and can be sought: it can be paused, stopped and moved in, nothing else.
  std::vector<std::string> expected;
  for (const char* control : {"Play\tNG", "Pause\tOK", "Stop\tOK", "FastForward\tNG", "FastReverse\tNG", "Next\tNG",
                              "Previous\tNG", "CurrentPosition\tOK"}) {
    std::string line = std::string("IWMPControls.isAvailable['") + control;
    expected.push_back(line.insert(line.find('\t'), "']"));
  }
  EXPECT_EQ(controls, expected);

  KeyTo(dialog, "Escape");
  KeyTo(dialog, "Escape");
  EXPECT_TRUE(WaitUntilHidden(korvane, dialog, 10s));
  korvane.Close();
  EXPECT_EQ(korvane.WaitForExit(10s), 0) << korvane.Stderr();
}

// Both dialogs of the check menu take the keyboard from the main window as
// they open and give it back as Esc closes them: on X11 and on Wayland alike.
TEST_F(MainFormWholeProgramProperties, TheCheckMenusDialogsOpenAndEscClosesThem) {
  const std::string version = RunTool({KorvanePath(), "--version"}).out;  // "Korvane 0.8.1.20"
  TKorvaneProcess korvane({});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  const std::pair<int, std::string> dialogs[] = {
      {0, "PropForm"}, {2, "Korvane Ver." + version.substr(version.find(' ') + 1) + " - InfoForm"}};
  for (const auto& [item, caption] : dialogs) {
    SCOPED_TRACE(caption);
    ASSERT_TRUE(ChooseMenu(korvane, 2, item));  // 確認 > プレイヤーのプロパティ確認... / このプログラムのバージョン...
    const unsigned long dialog = WaitForDialog(korvane, caption, 15s);
    ASSERT_NE(dialog, 0u) << korvane.Stderr();
    KeyTo(dialog, "Escape");
    EXPECT_TRUE(WaitUntilHidden(korvane, dialog, 10s));
  }
  korvane.Key("F11");  // the main window has the keys again
  EXPECT_TRUE(WaitUntil([&] { return korvane.Screenshot(media / "full.png") && ImageSize(media / "full.png") == "1280x1024"; }, 5s));
  korvane.Close();
  EXPECT_EQ(korvane.WaitForExit(10s), 0) << korvane.Stderr();
}

}  // namespace
}  // namespace korvane::test
