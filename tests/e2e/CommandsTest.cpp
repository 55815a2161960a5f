#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tests/e2e/Images.h"
#include "tests/e2e/KorvaneProcess.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class MainFormWholeProgramCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
    clips = media.MakeDir("clips");
  }

  bool WaitForOpen(TKorvaneProcess& korvane, const std::string& path, std::chrono::milliseconds timeout) {
    return WaitUntil([&] {
      const std::vector<std::string> open = korvane.PlayingFilesBelow(clips);
      return std::find(open.begin(), open.end(), path) != open.end();
    }, timeout);
  }

  // Whether the picture changes within half a second.
  bool PictureMoves(TKorvaneProcess& korvane) {
    const std::string first = media / "first.png", second = media / "second.png";
    if (!korvane.Screenshot(first)) return false;
    std::this_thread::sleep_for(500ms);
    return korvane.Screenshot(second) && DifferingPixels(first, second) > 0;
  }

  // Waits until the clip shows moving pictures: it is loaded, its duration known.
  bool WaitUntilPlaying(TKorvaneProcess& korvane) {
    return WaitUntil([&] { return PictureMoves(korvane); }, 15s);
  }

  static constexpr char kAnySize[] = "[LowerSize]\nFLowerSize=0\n";
  TempDir media;
  std::string clips;
};

TEST_F(MainFormWholeProgramCommands, TheCaptionNamesTheClipWithItsPictureSize) {
  ASSERT_FALSE(MakeClip(clips, "intro.mp4", 20).empty());
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitUntil([&] { return korvane.Caption() != "MainForm" && !korvane.Caption().empty(); }, 15s))
      << korvane.Stderr();
  ASSERT_TRUE(WaitUntilPlaying(korvane));
  EXPECT_EQ(korvane.Caption(), "Korvane 480x360 intro");
}

TEST_F(MainFormWholeProgramCommands, SpacePausesAndShiftSpaceResumes) {
  ASSERT_FALSE(MakeClip(clips, "intro.mp4", 20).empty());
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitUntilPlaying(korvane)) << korvane.Stderr();
  korvane.Key("space");
  std::this_thread::sleep_for(500ms);
  EXPECT_FALSE(PictureMoves(korvane));
  korvane.Key("shift+space");
  EXPECT_TRUE(WaitUntil([&] { return PictureMoves(korvane); }, 5s));
}

TEST_F(MainFormWholeProgramCommands, SixtySecondsForwardOnAShortClipEndsIt) {
  const std::string a = MakeClip(clips, "a.mp4", 40), b = MakeClip(clips, "b.mp4", 2);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a, 15s)) << korvane.Stderr();
  korvane.Key("Next");  // Page Down
  EXPECT_TRUE(WaitForOpen(korvane, b, 8s));
}

TEST_F(MainFormWholeProgramCommands, PausedJumpPastTheEndThenPlayOpensTheNextFile) {
  const std::string a = MakeClip(clips, "a.mp4", 20), b = MakeClip(clips, "b.mp4", 2);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a, 15s)) << korvane.Stderr();
  ASSERT_TRUE(WaitUntilPlaying(korvane));
  for (const char* key : {"space", "Next", "space"}) {  // pause, 60 s on, play
    korvane.Key(key);
    std::this_thread::sleep_for(300ms);
  }
  EXPECT_TRUE(WaitForOpen(korvane, b, 8s)) << korvane.Stderr();
}

TEST_F(MainFormWholeProgramCommands, EndLeavesTenSecondsToPlay) {
  const std::string a = MakeClip(clips, "a.mp4", 40), b = MakeClip(clips, "b.mp4", 2);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a, 15s)) << korvane.Stderr();
  ASSERT_TRUE(WaitUntilPlaying(korvane));
  korvane.Key("End");
  const auto pressed = Clock::now();
  ASSERT_TRUE(WaitForOpen(korvane, b, 25s));
  const auto played = Clock::now() - pressed;
  EXPECT_GT(played, 7s);
  EXPECT_LT(played, 20s);
}

TEST_F(MainFormWholeProgramCommands, DownAndUpMoveThroughTheList) {
  const std::string a = MakeClip(clips, "a.mp4", 20), b = MakeClip(clips, "b.mp4", 20), c = MakeClip(clips, "c.mp4", 20);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a, 15s)) << korvane.Stderr();
  // Each move lands on the neighbour, whether it was opened ahead or not yet.
  const std::pair<const char*, std::string> moves[] = {{"Down", b}, {"Down", c}, {"Up", b}, {"Up", a}};
  for (const auto& [key, to] : moves) {
    korvane.Key(key);
    EXPECT_TRUE(WaitForOpen(korvane, to, 8s)) << key << " to " << to;
    std::this_thread::sleep_for(500ms);  // the neighbours open ahead meanwhile
    EXPECT_EQ(korvane.PlayingFilesBelow(clips), std::vector<std::string>{to});
  }
  korvane.Key("Up");  // above the top: nothing plays, nothing is held open
  EXPECT_TRUE(WaitUntil([&] { return korvane.OpenFilesBelow(clips).empty(); }, 8s));
}

}  // namespace
}  // namespace korvane::test
