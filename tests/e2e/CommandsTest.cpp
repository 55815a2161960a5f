#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "tests/e2e/Images.h"
#include "harness/KorvaneProcess.h"

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

  // Whether the middle of the picture changes within half a second (the
  // labels and the status bar change too, and say nothing). A screenshot that
  // fails fails the test.
  bool PictureMoves(TKorvaneProcess& korvane) {
    const std::string first = media / "first.png", second = media / "second.png";
    if (!korvane.Screenshot(first)) ADD_FAILURE() << "no screenshot";
    std::this_thread::sleep_for(500ms);
    if (!korvane.Screenshot(second)) ADD_FAILURE() << "no screenshot";
    return DifferingPixels(first, second, MiddleRegion(first)) > 0;
  }

  // Waits until the clip shows moving pictures: it is loaded, its duration known.
  bool WaitUntilPlaying(TKorvaneProcess& korvane) {
    return korvane.Window() && WaitUntil([&] { return PictureMoves(korvane); }, kStartUp);
  }

  static constexpr char kAnySize[] = "[LowerSize]\nFLowerSize=0\n";
  TTempDir media;
  std::string clips;
};

TEST_F(MainFormWholeProgramCommands, TheCaptionNamesTheClipWithItsPictureSize) {
  ASSERT_FALSE(MakeClip(clips, "intro.mp4", 20).empty());
  TKorvaneProcess korvane({clips}, kAnySize);
  // The first caption may carry no size yet: the decoder tells it a little later.
  EXPECT_TRUE(WaitUntil([&] { return korvane.Caption() == "Korvane 480x360 intro"; }, kStartUp))
      << korvane.Caption() << "\n" << korvane.Stderr();
}

TEST_F(MainFormWholeProgramCommands, SpacePausesAndShiftSpaceResumes) {
  ASSERT_FALSE(MakeClip(clips, "intro.mp4", 20).empty());
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitUntilPlaying(korvane)) << korvane.Stderr();
  korvane.Key("space");
  EXPECT_TRUE(WaitUntil([&] { return !PictureMoves(korvane); }, 5s));
  EXPECT_FALSE(PictureMoves(korvane)) << "paused, and stays so";
  korvane.Key("shift+space");
  EXPECT_TRUE(WaitUntil([&] { return PictureMoves(korvane); }, 5s));
}

TEST_F(MainFormWholeProgramCommands, SixtySecondsForwardOnAShortClipEndsIt) {
  const std::string a = MakeClip(clips, "a.mp4", 40), b = MakeClip(clips, "b.mp4", 2);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a, kStartUp)) << korvane.Stderr();
  korvane.Key("Next");  // Page Down
  EXPECT_TRUE(WaitForOpen(korvane, b, 8s));
}

// The jump ends the paused file, and the list goes on. (A play pressed once it
// has ended would start it again, as after any end: the test presses none.)
TEST_F(MainFormWholeProgramCommands, PausedJumpPastTheEndOpensTheNextFile) {
  const std::string a = MakeClip(clips, "a.mp4", 20), b = MakeClip(clips, "b.mp4", 2);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a, kStartUp)) << korvane.Stderr();
  ASSERT_TRUE(WaitUntilPlaying(korvane));
  korvane.Key("space");
  ASSERT_TRUE(WaitUntil([&] { return !PictureMoves(korvane); }, 5s));  // paused
  korvane.Key("Next");  // 60 s on
  EXPECT_TRUE(WaitForOpen(korvane, b, 8s)) << korvane.Stderr();
}

TEST_F(MainFormWholeProgramCommands, EndLeavesTenSecondsToPlay) {
  const std::string a = MakeClip(clips, "a.mp4", 40), b = MakeClip(clips, "b.mp4", 2);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a, kStartUp)) << korvane.Stderr();
  ASSERT_TRUE(WaitUntilPlaying(korvane));
  korvane.Key("End");
  const auto pressed = Clock::now();
  ASSERT_TRUE(WaitForOpen(korvane, b, 25s));
  const auto played = Clock::now() - pressed;
  EXPECT_GT(played, 7s);
  EXPECT_LT(played, Scaled(20s));
}

TEST_F(MainFormWholeProgramCommands, DownAndUpMoveThroughTheList) {
  const std::string a = MakeClip(clips, "a.mp4", 20), b = MakeClip(clips, "b.mp4", 20), c = MakeClip(clips, "c.mp4", 20);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a, kStartUp)) << korvane.Stderr();
  // Each move lands on the neighbour, whether it was opened ahead or not yet;
  // then its neighbours are held open, the others let go, and only it plays.
  const struct {
    const char* key;
    std::string to;
    std::set<std::string> held;
  } moves[] = {{"Down", b, {a, b, c}}, {"Down", c, {b, c}}, {"Up", b, {a, b, c}}, {"Up", a, {a, b}}};
  for (const auto& [key, to, held] : moves) {
    korvane.Key(key);
    EXPECT_TRUE(WaitForOpen(korvane, to, 8s)) << key << " to " << to;
    EXPECT_TRUE(WaitUntil([&] {
      const std::vector<std::string> open = korvane.OpenFilesBelow(clips);
      return std::set<std::string>(open.begin(), open.end()) == held;
    }, 8s)) << key << " to " << to;
    EXPECT_EQ(korvane.PlayingFilesBelow(clips), std::vector<std::string>{to});
  }
  korvane.Key("Up");  // above the top: nothing plays, nothing is held open
  EXPECT_TRUE(WaitUntil([&] { return korvane.OpenFilesBelow(clips).empty(); }, 8s));
}

}  // namespace
}  // namespace korvane::test
