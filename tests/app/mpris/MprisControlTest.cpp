// The media controls' view of the player without a bus: status names, file
// URLs, the open track, and the guards of the position and volume commands.
#include <gtest/gtest.h>

#include <cmath>

#include "app/mpris/MprisControl.h"
#include "tests/support/FakePlayer.h"

namespace korvane {
namespace {

test::FakeMediaInfo Media(std::u16string name, double duration) {
  test::FakeMediaInfo info;
  info.name = std::move(name);
  info.duration = duration;
  return info;
}

TEST(MprisControl, PlaybackStatusFollowsPlayState) {
  EXPECT_EQ(PlaybackStatusName(wmppsPlaying), "Playing");
  EXPECT_EQ(PlaybackStatusName(wmppsBuffering), "Playing");
  EXPECT_EQ(PlaybackStatusName(wmppsPaused), "Paused");
  EXPECT_EQ(PlaybackStatusName(wmppsStopped), "Stopped");
  EXPECT_EQ(PlaybackStatusName(wmppsMediaEnded), "Stopped");
  EXPECT_EQ(PlaybackStatusName(wmppsUndefined), "Stopped");
  EXPECT_EQ(PlaybackStatusName(-7), "Stopped");
}

TEST(MprisControl, FileUrlPercentEncodesEveryReservedAndNonAsciiByte) {
  EXPECT_EQ(FileUrl("/media/a b/c#1%?.mp4"), "file:///media/a%20b/c%231%25%3F.mp4");
  EXPECT_EQ(FileUrl("/m/\xC3\xBC-x_y~z.mkv"), "file:///m/%C3%BC-x_y~z.mkv");
  EXPECT_EQ(FileUrl("/m/\xFF\x01.avi"), "file:///m/%FF%01.avi");  // not UTF-8: bytes kept
}

TEST(MprisControl, TrackDescribesTheOpenMediaOrNone) {
  test::TFakePlayer player;
  EXPECT_EQ(CurrentTrack(player, 3), MprisTrack{});
  player.SetMedia(u"/v/clip one.mp4", Media(u"Clip", 2.5));
  player.setURL(u"/v/clip one.mp4");
  const MprisTrack track = CurrentTrack(player, 3);
  EXPECT_EQ(track.id, "/org/korvane/Korvane/Track/3");
  EXPECT_EQ(track.title, "Clip");
  EXPECT_EQ(track.url, "file:///v/clip%20one.mp4");
  EXPECT_EQ(track.lengthUs, 2'500'000);
}

TEST(MprisControl, SeekIsRelativeAndUnclampedButNeedsMedia) {
  test::TFakePlayer player;
  SeekByUs(player, 5'000'000);
  EXPECT_TRUE(player.PositionsPut.empty());
  player.setURL(u"/v/a.mp4");
  player.Position = 10;
  SeekByUs(player, -30'500'000);
  ASSERT_EQ(player.PositionsPut.size(), 1u);
  EXPECT_DOUBLE_EQ(player.PositionsPut[0], -20.5);
}

TEST(MprisControl, SetPositionOnlyForTheOpenTrackAndWithinIt) {
  test::TFakePlayer player;
  EXPECT_FALSE(SetPositionUs(player, -1, kNoTrackId, 0));
  player.SetMedia(u"/v/a.mp4", Media(u"", 60));
  player.setURL(u"/v/a.mp4");
  const std::string id = CurrentTrack(player, 2).id;
  EXPECT_FALSE(SetPositionUs(player, 2, "/org/korvane/Korvane/Track/1", 1'000'000));
  EXPECT_FALSE(SetPositionUs(player, 2, id, -1));
  EXPECT_FALSE(SetPositionUs(player, 2, id, 60'000'001));
  EXPECT_TRUE(player.PositionsPut.empty());
  EXPECT_TRUE(SetPositionUs(player, 2, id, 42'250'000));
  EXPECT_EQ(player.PositionsPut, std::vector<double>{42.25});
}

TEST(MprisControl, PositionJumpsAreSkipsNotPlayingOnOrStalling) {
  EXPECT_FALSE(PositionJumped(10'000'000, 10'500'000, 500'000, true));
  EXPECT_FALSE(PositionJumped(10'000'000, 10'000'000, 60'000'000, true));  // stalled
  EXPECT_TRUE(PositionJumped(10'000'000, 20'500'000, 500'000, true));
  EXPECT_TRUE(PositionJumped(10'000'000, 0, 500'000, true));
  EXPECT_FALSE(PositionJumped(10'000'000, 10'900'000, 60'000'000, false));
  EXPECT_TRUE(PositionJumped(10'000'000, 12'000'000, 60'000'000, false));  // paused: no time passes
}

TEST(MprisControl, VolumeMapsOntoHundredStepsClampedAndIgnoresNaN) {
  test::TFakePlayer player;
  EXPECT_DOUBLE_EQ(MprisVolume(player), 0.5);
  SetMprisVolume(player, 0.304);
  EXPECT_EQ(player.Volume, 30);
  SetMprisVolume(player, 1.7);
  EXPECT_EQ(player.Volume, 100);
  SetMprisVolume(player, -2);
  EXPECT_EQ(player.Volume, 0);
  SetMprisVolume(player, std::nan(""));
  EXPECT_EQ(player.Volume, 0);
}

}  // namespace
}  // namespace korvane
