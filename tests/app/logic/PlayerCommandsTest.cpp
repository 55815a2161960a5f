#include "app/logic/PlayerCommands.h"
#include "app/logic/PlaybackSpeed.h"

#include <gtest/gtest.h>

#include "tests/support/FakePlayer.h"

namespace korvane::test {
namespace {

class MainFormCommands : public ::testing::Test {
 protected:
  void Open(double duration) {
    FakeMediaInfo info;
    info.duration = duration;
    player.SetMedia(u"/m/a.mp4", info);
    player.setURL(u"/m/a.mp4");
  }
  TFakePlayer player;
};

TEST_F(MainFormCommands, SkipsAddTheTagUnclamped) {
  Open(105);
  player.Position = 4.0;
  SkipBy(player, -10);
  player.Position = 100.0;
  SkipBy(player, 60);
  EXPECT_EQ(player.PositionsPut, (std::vector<double>{-6.0, 160.0}));
}

TEST_F(MainFormCommands, JumpsGoToTheStartAndTenSecondsBeforeTheEnd) {
  Open(6);
  RewindToStart(player);
  JumpToEndMinus10(player);
  EXPECT_EQ(player.PositionsPut, (std::vector<double>{0.0, -4.0}));
}

TEST_F(MainFormCommands, DigitsJumpToTenthsOfAKnownDuration) {
  JumpToPercent(player, 50);  // no media
  Open(0);                    // a duration not known yet
  JumpToPercent(player, 50);
  EXPECT_TRUE(player.PositionsPut.empty());
  Open(60);
  for (const int percent : {40, 50, 0, 90}) JumpToPercent(player, percent);
  EXPECT_EQ(player.PositionsPut, (std::vector<double>{24.0, 30.0, 0.0, 54.0}));
}

TEST_F(MainFormCommands, WithoutMediaOnlyVolumeAndMuteAct) {
  SkipBy(player, 10);
  RewindToStart(player);
  JumpToEndMinus10(player);
  EXPECT_TRUE(player.PositionsPut.empty());
  SetVolumeOrToggleMute(player, 50);
  EXPECT_EQ(player.Volume, 50);
}

TEST_F(MainFormCommands, SpeedStepsStopAtEitherEndAndHoldWithoutMedia) {
  for (const int step : {1, 1, 1, 1, 1, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0}) ChangeSpeed(player, step);
  EXPECT_EQ(player.Calls, (std::vector<std::string>{"setRate 1.25", "setRate 1.50", "setRate 2.00", "setRate 3.00",
                                                    "setRate 4.00", "setRate 4.00", "setRate 3.00", "setRate 2.00",
                                                    "setRate 1.50", "setRate 1.25", "setRate 1.00", "setRate 0.75",
                                                    "setRate 0.50", "setRate 0.50", "setRate 0.50", "setRate 1.00"}));
  // A rate between the steps, as another program may have set it.
  EXPECT_EQ(FasterSpeed(1.1), 1.25);
  EXPECT_EQ(SlowerSpeed(1.1), 1.0);
}

TEST_F(MainFormCommands, MuteTogglesAndVolumeLeavesItAlone) {
  SetVolumeOrToggleMute(player, -1);
  EXPECT_TRUE(player.Mute);
  SetVolumeOrToggleMute(player, 0);
  EXPECT_TRUE(player.Mute);
  EXPECT_EQ(player.Volume, 0);
  SetVolumeOrToggleMute(player, -1);
  EXPECT_FALSE(player.Mute);
}

TEST_F(MainFormCommands, PlayPauseFollowsWhatThePlayerOffers) {
  player.AvailabilityFollowsState = true;
  TogglePlayPause(player);  // nothing to play or pause
  EXPECT_TRUE(player.Calls.empty());
  Open(10);
  TogglePlayPause(player);
  EXPECT_EQ(player.PlayState, wmppsPlaying);
  TogglePlayPause(player);
  EXPECT_EQ(player.PlayState, wmppsPaused);
  TogglePlayPause(player);
  EXPECT_EQ(player.PlayState, wmppsPlaying);
}

TEST_F(MainFormCommands, TheClickZoneLeavesTheSidesAndTheBottomOut) {
  EXPECT_TRUE(InClickZone(50, 0, 712, 415));
  EXPECT_TRUE(InClickZone(661, 314, 712, 415));
  EXPECT_FALSE(InClickZone(662, 10, 712, 415));
  EXPECT_FALSE(InClickZone(100, 315, 712, 415));
  EXPECT_FALSE(InClickZone(49, 10, 712, 415));
  EXPECT_FALSE(InClickZone(100, -1, 712, 415));
  EXPECT_FALSE(InClickZone(60, 10, 100, 50));  // a picture too small has no zone
}

TEST_F(MainFormCommands, TheCaptionNamesSizeAndMedia) {
  FakeMediaInfo video;
  video.name = u"intro";
  TFakeMedia intro(player, u"/m/intro.mp4", video);
  EXPECT_EQ(MediaCaption("Korvane", intro), "Korvane 640x480 intro");
  FakeMediaInfo sound;
  sound.width = sound.height = 0;
  TFakeMedia song(player, u"/m/song.mp3", sound);
  EXPECT_EQ(MediaCaption("Korvane", song), "Korvane 0x0 song");
  FakeMediaInfo odd;
  odd.name = u"a\xDC81";  // a byte that is not UTF-8
  TFakeMedia bad(player, u"/m/x", odd);
  EXPECT_EQ(MediaCaption("K", bad), "K 640x480 a\xEF\xBF\xBD");
}

TEST_F(MainFormCommands, AFailedReadEndsTheCommand) {
  Open(10);
  player.FailNext("currentPosition");
  EXPECT_THROW(SkipBy(player, 10), TPlayerError);
  EXPECT_TRUE(player.PositionsPut.empty());
}

}  // namespace
}  // namespace korvane::test
