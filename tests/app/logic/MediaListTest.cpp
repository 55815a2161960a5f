#include "app/logic/MediaList.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "base/Format.h"
#include "base/Utf.h"
#include "tests/app/logic/FakeView.h"
#include "tests/support/FakePlayer.h"
#include "harness/TempDir.h"

namespace korvane::test {
namespace {

class MediaListTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name, size_t size = 1000) { return dir.WriteFile(name, std::string(size, 'x')); }
  std::string Gone(const std::string& name) { return dir / name; }
  std::u16string URL() { return player.URL(); }

  TTempDir dir;
  TFakePlayer player;
  TFakeView view;
  TMediaList list{player, view};
};

struct RecordedHints : INeighbourHint {
  void HintNeighbours(const std::string& prev, const std::string& next) override { hints.push_back({prev, next}); }
  std::vector<std::pair<std::string, std::string>> hints;
};

TEST_F(MediaListTest, EveryMoveTellsTheHintTheEntriesAroundTheSelection) {
  RecordedHints hint;
  TMediaList hinted{player, view, &hint};
  const std::string a = File("a.mp4"), b = File("b.mp4"), c = File("c.mp4");
  view.items = {a};
  hinted.NextMedia();
  view.items.push_back(b);
  hinted.HintNeighbours();  // the list grew
  view.items.push_back(c);
  hinted.NextMedia();
  hinted.NextMedia();
  hinted.NextMedia();  // past the end: the selection stays on c
  hinted.PrevMedia();
  hinted.PrevMedia();
  hinted.PrevMedia();  // above the top: nothing selected, the first entry is next
  using Hint = std::pair<std::string, std::string>;
  EXPECT_EQ(hint.hints, (std::vector<Hint>{{"", ""}, {"", b}, {a, c}, {b, ""}, {b, ""}, {a, c}, {"", b}, {"", a}}));
  // An entry whose file is gone (trashed, renamed) is skipped: the hint is
  // about where the selection lands, once, not about the entry skipped.
  ASSERT_EQ(std::remove(b.c_str()), 0);
  hint.hints.clear();
  view.index = 1;
  hinted.ComboListSelect();
  EXPECT_EQ(view.index, 2);
  EXPECT_EQ(hint.hints, (std::vector<Hint>{{b, ""}}));
}

TEST_F(MediaListTest, EmptyListDownAndUpClearTheURL) {
  list.NextMedia();
  EXPECT_EQ(player.Calls, std::vector<std::string>{"setURL "});
  list.PrevMedia();
  EXPECT_EQ(player.URLsPut, (std::vector<std::u16string>{u"", u""}));
  EXPECT_EQ(view.index, -1);
}

TEST_F(MediaListTest, SelectingStopsOpensShowsSizeAndPlays) {
  view.items = {File("a.mp4", 1048576)};
  view.index = 0;
  list.ComboListSelect();
  EXPECT_EQ(player.Calls, (std::vector<std::string>{"stop", "setURL " + view.items[0], "play"}));
  EXPECT_EQ(view.panels[1], "1.00[MB]");
  EXPECT_EQ(player.Status, TFakePlayer::kStatusPlaying);
}

TEST_F(MediaListTest, SizeUsesTheUsersDecimalSeparator) {
  NumberStyle saved = UserNumberStyle();
  SetUserNumberStyle({",", "."});
  EXPECT_EQ(MegabyteText(3670016), "3,50[MB]");
  SetUserNumberStyle(saved);
  EXPECT_EQ(MegabyteText(0), "0.00[MB]");
  EXPECT_EQ(MegabyteText(-1), "");
}

TEST_F(MediaListTest, NothingSelectedDoesNothing) {
  view.items = {File("a.mp4")};
  list.ComboListSelect();
  EXPECT_TRUE(player.Calls.empty());
}

TEST_F(MediaListTest, DownWalksTheListAndStopsAtTheEndKeepingTheSelection) {
  view.items = {File("a.mp4"), File("b.mp4")};
  list.NextMedia();
  EXPECT_EQ(view.index, 0);
  list.NextMedia();
  EXPECT_EQ(view.index, 1);
  EXPECT_EQ(ToNarrow(URL()), view.items[1]);
  list.NextMedia();
  EXPECT_EQ(view.index, 1);
  EXPECT_EQ(URL(), u"");
  EXPECT_EQ(player.currentMedia(), nullptr);
}

TEST_F(MediaListTest, UpAtTheTopClearsTheSelection) {
  view.items = {File("a.mp4"), File("b.mp4")};
  view.index = 1;
  list.PrevMedia();
  EXPECT_EQ(view.index, 0);
  EXPECT_EQ(ToNarrow(URL()), view.items[0]);
  list.PrevMedia();
  EXPECT_EQ(view.index, -1);
  EXPECT_EQ(URL(), u"");
  list.NextMedia();  // starts again from the top
  EXPECT_EQ(view.index, 0);
}

TEST_F(MediaListTest, EntriesWhoseFilesAreGoneAreSkipped) {
  view.items = {Gone("x.mp4"), dir.MakeDir("folder.mp4"), File("c.mp4"), Gone("y.mp4")};
  list.NextMedia();
  EXPECT_EQ(view.index, 2);
  EXPECT_EQ(ToNarrow(URL()), view.items[2]);
  list.NextMedia();  // only a gone entry below: end of the list
  EXPECT_EQ(view.index, 3);
  EXPECT_EQ(URL(), u"");
}

TEST_F(MediaListTest, ALongRunOfGoneEntriesEndsWithoutExhaustingTheStack) {
  view.items.assign(100000, Gone("missing.mp4"));
  list.NextMedia();
  EXPECT_EQ(view.index, 99999);
  EXPECT_EQ(URL(), u"");
}

TEST_F(MediaListTest, AFailedOpenIsIgnoredAndTheSelectionStays) {
  view.items = {File("a.mp4"), File("b.mp4")};
  player.FailNext("setURL");
  EXPECT_NO_THROW(list.NextMedia());
  EXPECT_EQ(view.index, 0);
  player.FailNext("play");
  EXPECT_NO_THROW(list.NextMedia());
  EXPECT_EQ(view.index, 1);
  EXPECT_EQ(ToNarrow(URL()), view.items[1]);
}

TEST_F(MediaListTest, AFailedStopReachesTheCaller) {
  view.items = {File("a.mp4")};
  view.index = 0;
  player.FailNext("stop");
  EXPECT_THROW(list.ComboListSelect(), TPlayerError);
}

TEST_F(MediaListTest, TheSamePathTwiceIsPlayedTwice) {
  const std::string a = File("a.mp4");
  view.items = {a, a};
  list.NextMedia();
  list.NextMedia();
  EXPECT_EQ(player.URLsPut, (std::vector<std::u16string>{ToWide(a), ToWide(a)}));
}

}  // namespace
}  // namespace korvane::test
