#include "dialogs/prop/Prop.h"

#include <gtest/gtest.h>

#include "tests/support/FakePlayer.h"

namespace korvane {
namespace {

TEST(PropStateNames, NamesWithinTables) {
  EXPECT_EQ(PlayStateName(wmppsUndefined), "Undefined");
  EXPECT_EQ(PlayStateName(wmppsPlaying), "Playing");
  EXPECT_EQ(PlayStateName(wmppsReady), "Ready");
  EXPECT_EQ(OpenStateName(wmposUndefined), "Undefined");
  EXPECT_EQ(OpenStateName(wmposMediaOpen), "MediaOpen");
  EXPECT_EQ(OpenStateName(21), "OpeningUnknownURL");
}

TEST(PropStateNames, UnknownOutsideTables) {
  EXPECT_EQ(PlayStateName(11), "Unknown");
  EXPECT_EQ(PlayStateName(-1), "Unknown");
  EXPECT_EQ(OpenStateName(22), "Unknown");
  EXPECT_EQ(OpenStateName(-1), "Unknown");
  EXPECT_EQ(OpenStateName(INT32_MIN), "Unknown");
}

using test::TFakePlayer;
using Lines = std::vector<std::string>;

template <typename Report>
Lines LinesOf(Report report, IWMPCore& player) {
  Lines lines;
  report(player, lines);
  return lines;
}

TEST(PropReportLines, SettingsJustAfterStart) {
  TFakePlayer player;
  EXPECT_EQ(LinesOf(ReportSettingsLines, player), (Lines{
                                                       "TFakePlayer.versionInfo\t1.0.0.fake",
                                                       "IWMPSettings.autoStart\tOFF",
                                                       "IWMPSettings.balance(-100..100)\t0",
                                                       "IWMPSettings.baseURL\t",
                                                       "IWMPSettings.defaultFrame\t",
                                                       "IWMPSettings.enableErrorDialogs\tOFF",
                                                       "IWMPSettings.invokeURLs\tOFF",
                                                       "IWMPSettings.mute\tOFF",
                                                       "IWMPSettings.playCount\t1",
                                                       "IWMPSettings.rate\t1.00",
                                                       "IWMPSettings.isAvailable['Rate']\tOK",
                                                       "IWMPSettings.volume\t50",
                                                       "IWMPSettings.getMode('loop')\tOFF",
                                                       "IWMPSettings.getMode('shuffle')\tOFF",
                                                   }));
}

TEST(PropReportLines, NoMediaIsTheOnlyMediaLine) {
  TFakePlayer player;
  EXPECT_EQ(LinesOf(ReportMediaLines, player), Lines{"No Media"});
}

TEST(PropReportLines, MediaWithoutAttributesGivesFourLines) {
  TFakePlayer player;
  player.setURL(u"/media/clip.mp4");
  EXPECT_EQ(LinesOf(ReportMediaLines, player), (Lines{
                                                    "IWMPMedia.imageSourceWidth\t640",
                                                    "IWMPMedia.imageSourceHeight\t480",
                                                    "IWMPMedia.name\tclip",
                                                    "IWMPMedia.sourceURL\t/media/clip.mp4",
                                                }));
}

TEST(PropReportLines, AttributesInThePlayersOrder) {
  TFakePlayer player;
  test::FakeMediaInfo info;
  info.name = u"Interview";
  info.attributes = {{u"Title", u"Interview"}, {u"Artist", u"%s and %d"}, {u"Album", u""}};
  player.SetMedia(u"/media/take1.avi", info);
  player.setURL(u"/media/take1.avi");
  const Lines lines = LinesOf(ReportMediaLines, player);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "IWMPMedia.name\tInterview");
  EXPECT_EQ(lines[4], "IWMPMedia.Title\tInterview");
  EXPECT_EQ(lines[5], "IWMPMedia.Artist\t%s and %d");
  EXPECT_EQ(lines[6], "IWMPMedia.Album\t");
}

TEST(PropReportLines, ControlsInFixedOrder) {
  TFakePlayer player;
  EXPECT_EQ(LinesOf(ReportControlsLines, player), (Lines{
                                                       "IWMPControls.isAvailable['Play']\tOK",
                                                       "IWMPControls.isAvailable['Pause']\tOK",
                                                       "IWMPControls.isAvailable['Stop']\tOK",
                                                       "IWMPControls.isAvailable['FastForward']\tNG",
                                                       "IWMPControls.isAvailable['FastReverse']\tNG",
                                                       "IWMPControls.isAvailable['Next']\tNG",
                                                       "IWMPControls.isAvailable['Previous']\tNG",
                                                       "IWMPControls.isAvailable['CurrentPosition']\tOK",
                                                   }));
}

TEST(PropReportLines, FailedQueryStopsAfterTheLinesBeforeIt) {
  TFakePlayer player;
  player.FailNext("balance");
  Lines lines;
  EXPECT_THROW(ReportSettingsLines(player, lines), TPlayerError);
  EXPECT_EQ(lines.size(), 2u);

  test::FakeMediaInfo info;
  info.attributes = {{u"A", u"1"}, {u"B", u"2"}};
  player.SetMedia(u"/m/x.mp4", info);
  player.setURL(u"/m/x.mp4");
  player.FailNext("getItemInfo");
  lines.clear();
  EXPECT_THROW(ReportMediaLines(player, lines), TPlayerError);
  EXPECT_EQ(lines.size(), 4u);
}

}  // namespace
}  // namespace korvane
