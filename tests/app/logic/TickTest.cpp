#include "app/logic/TickStep.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/Format.h"
#include "base/TextCompare.h"
#include "base/Utf.h"
#include "tests/app/logic/FakeView.h"
#include "tests/support/FakePlayer.h"
#include "harness/TempDir.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

class TickTest : public ::testing::Test {
 protected:
  TickTest() {
    config.FLowerSize = 0;
    search.Resume();
  }

  std::string File(const std::string& name) { return dir.WriteFile(name, "data"); }

  // Waits until the search has queued `count` found paths.
  void WaitForFound(int count) {
    for (int i = 0; i < 500 && search.PendingCount() < count; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_EQ(search.PendingCount(), count);
  }

  TTempDir dir;
  TFakePlayer player;
  TFakeView view;
  TMediaList list{player, view};
  TFindFileThread search;
  TConfig config;
  int escapeQueries = 0;
  bool escapeDown = false;
  TTickStep tick{player, view, list, search, config, [this] {
                   ++escapeQueries;
                   return escapeDown;
                 }};
};

TEST_F(TickTest, TheFirstFoundFilePlaysOnAReadyPlayer) {
  const std::string b = File("in/b.mp4"), a = File("in/A.mp4");
  search.AddPath(dir / "in");
  WaitForFound(2);
  tick.Tick();
  EXPECT_EQ(view.items, (std::vector<std::string>{a, b}));
  EXPECT_EQ(view.index, 0);
  EXPECT_EQ(ToNarrow(player.URL()), a);
  EXPECT_EQ(player.Status, TFakePlayer::kStatusPlaying);
}

TEST_F(TickTest, BatchesOfTenEachSortedIgnoringCase) {
  for (int i = 0; i < 25; ++i) File(Format("in/%s%2.2d.mp4", {i % 2 ? "F" : "f", i}));
  search.AddPath(dir / "in");
  WaitForFound(25);
  for (size_t expected : {10u, 20u, 25u}) {
    const size_t before = view.items.size();
    tick.Tick();
    ASSERT_EQ(view.items.size(), expected);
    for (size_t i = before + 1; i < expected; ++i)
      EXPECT_LT(CompareTextIgnoreCase(view.items[i - 1], view.items[i]), 0) << view.items[i];
  }
  EXPECT_EQ(search.PendingCount(), 0);
}

TEST_F(TickTest, ASecondCopyInTheSameBatchIsDroppedButNotInALaterOne) {
  const std::string a = File("a.mp4"), upper = File("Clip.mp4"), lower = File("clip.mp4");
  player.Status = TFakePlayer::kStatusPlaying;  // keep the list from moving
  search.AddPath(a);
  search.AddPath(lower);
  search.AddPath(a);
  search.AddPath(upper);
  WaitForFound(4);
  tick.Tick();
  // Names differing only in case are two files.
  EXPECT_EQ(view.items, (std::vector<std::string>{a, upper, lower}));
  search.AddPath(a);
  WaitForFound(1);
  tick.Tick();
  EXPECT_EQ(view.items, (std::vector<std::string>{a, upper, lower, a}));
}

// Too small for the filter, or where this run moved a file to.
TEST_F(TickTest, RefusedFilesNeverReachTheList) {
  config.FLowerSize = 100;
  search.AddPath(File("small.mp4"));
  list.KeepOut(dir.WriteFile("moved.mp4", std::string(200, 'x')));
  search.AddPath(dir / "moved.mp4");
  WaitForFound(2);
  tick.Tick();
  EXPECT_TRUE(view.items.empty());
  EXPECT_TRUE(player.URLsPut.empty());
}

TEST_F(TickTest, TheSearchHintShowsOnlyWhileFilesWaitAndTheSpeedOtherwise) {
  tick.Tick();
  EXPECT_EQ(view.panels[2], "");
  player.Rate = 1.5;
  for (int i = 0; i < 12; ++i) File(Format("in/%d.mp4", {i}));
  search.AddPath(dir / "in");
  WaitForFound(12);
  tick.Tick();
  EXPECT_EQ(view.panels[2], kSearchHint);
  tick.Tick();  // takes the last two
  EXPECT_EQ(view.panels[2], kSearchHint);
  tick.Tick();
  EXPECT_EQ(view.panels[2], "×1.50");
}

TEST_F(TickTest, EscapeIsAskedOnlyWhileFilesWaitAndThenCancels) {
  escapeDown = true;
  tick.Tick();
  EXPECT_EQ(escapeQueries, 0);
  search.AddPath(File("a.mp4"));
  WaitForFound(1);
  tick.Tick();
  EXPECT_EQ(escapeQueries, 1);
  EXPECT_TRUE(view.items.empty());
  EXPECT_EQ(search.PendingCount(), 0);
}

TEST_F(TickTest, AStoppedFileMovesOnAndTheEndClearsTheURL) {
  const std::string a = File("in/a.mp4"), b = File("in/b.mp4");
  search.AddPath(dir / "in");
  WaitForFound(2);
  tick.Tick();
  player.FinishMedia();
  tick.Tick();
  EXPECT_EQ(view.index, 1);
  EXPECT_EQ(ToNarrow(player.URL()), b);
  player.FinishMedia();
  tick.Tick();
  EXPECT_EQ(view.index, 1);
  EXPECT_EQ(player.URL(), u"");
  EXPECT_EQ(player.currentMedia(), nullptr);

  // Files arriving after the end are played as the player is ready again.
  const std::string c = File("c.mp4");
  search.AddPath(c);
  WaitForFound(1);
  tick.Tick();
  EXPECT_EQ(view.index, 2);
  EXPECT_EQ(ToNarrow(player.URL()), c);
  EXPECT_EQ(player.Status, TFakePlayer::kStatusPlaying);
}

TEST_F(TickTest, AReadyPlayerWithASelectionIsStarted) {
  view.items = {File("a.mp4")};
  view.index = 0;
  player.setURL(ToWide(view.items[0]));
  player.Calls.clear();
  tick.Tick();
  EXPECT_EQ(player.Calls, std::vector<std::string>{"play"});
}

TEST_F(TickTest, PositionAndDurationInPanelZero) {
  player.setURL(ToWide(File("a.mp4")));
  tick.Tick();
  EXPECT_EQ(view.panels[0], "00:00(0.00秒) / 04:56(296.12秒)");
  player.Position = 83.456;
  player.PositionString = u"01:23";
  NumberStyle saved = UserNumberStyle();
  SetUserNumberStyle({",", "."});
  tick.Tick();
  SetUserNumberStyle(saved);
  EXPECT_EQ(view.panels[0], "01:23(83,46秒) / 04:56(296,12秒)");
  tick.Tick();  // the same position in another number style is written again
  EXPECT_EQ(view.panels[0], "01:23(83.46秒) / 04:56(296.12秒)");
  player.setURL(u"");
  tick.Tick();
  EXPECT_EQ(view.panels[0], "01:23(83.46秒) / 04:56(296.12秒)");  // kept without media
}

TEST_F(TickTest, APlayerErrorEndsTheTickAtThatPoint) {
  player.setURL(ToWide(File("a.mp4")));
  player.FailNext("currentPosition");
  EXPECT_THROW(tick.Tick(), TPlayerError);
  EXPECT_EQ(view.panels[0], "");
  tick.Tick();
  EXPECT_NE(view.panels[0], "");
}

}  // namespace
}  // namespace korvane::test
