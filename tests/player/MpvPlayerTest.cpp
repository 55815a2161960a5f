// The libmpv player on real media, headless (vo=null, ao=null, offscreen platform).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>

#include "base/Utf.h"
#include "player/ControlStrip.h"
#include "player/MpvPlayer.h"
#include "player/MpvPreviewDecoder.h"
#include "player/MpvVideoWidget.h"
#include "player/PlayerArea.h"
#include "player/PlayerStateMachine.h"
#include "player/PlayerTime.h"
#include "player/SeekController.h"
#include "tests/player/PlayerTestSupport.h"
#include "harness/TestMedia.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using test::EventLog;
using test::WaitFor;

class MpvPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApp();
    player = std::make_unique<TMpvPlayer>(nullptr, MpvPlayerOptions{true, ""});
    log.Attach(*player);
  }
  void TearDown() override { player.reset(); }

  IWMPControls& c() { return player->controls(); }
  IWMPSettings& s() { return player->settings(); }

  // Opens the file and waits until it is open (or has failed).
  bool Open(const std::string& path, int timeoutMs = 5000) {
    player->setURL(ToWide(path));
    return WaitFor([&] { return player->openState() == wmposMediaOpen || player->status() == kStatusStopped; },
                   timeoutMs) &&
           player->openState() == wmposMediaOpen;
  }
  bool PlayAndWait() {
    c().play();
    const bool ok = WaitFor([&] { return player->playState() == wmppsPlaying; });
    if (!ok) ADD_FAILURE() << "not playing: " << log.Joined() << " / status " << ToNarrow(player->status());
    return ok;
  }
  // Waits until no seek is under way and the engine is near `expected`. While it
  // seeks, the engine's own position reads the target it was given, then the
  // keyframe it reached, then the target again: it alone says nothing.
  double Settled(double expected, double tolerance, int timeoutMs = 3000) {
    WaitFor([&] { return !player->SeekPending() && std::fabs(EngineTime() - expected) <= tolerance; }, timeoutMs);
    return EngineTime();
  }
  double EngineTime() { return std::atof(player->EngineProperty("time-pos").c_str()); }

  std::unique_ptr<TMpvPlayer> player;
  EventLog log;
};

TEST_F(MpvPlayerTest, InitialValues) {
  EXPECT_EQ(player->className(), "TMpvPlayer");
  EXPECT_EQ(player->URL(), u"");
  EXPECT_EQ(player->status(), kStatusReady);
  EXPECT_EQ(player->currentMedia(), nullptr);
  EXPECT_EQ(s().volume(), 50);
  EXPECT_FALSE(s().mute());
  EXPECT_EQ(s().balance(), 0);
  EXPECT_DOUBLE_EQ(s().rate(), 1.0);
  EXPECT_EQ(s().playCount(), 1);
  EXPECT_FALSE(s().autoStart());
  EXPECT_FALSE(s().invokeURLs());
  EXPECT_FALSE(s().enableErrorDialogs());
  EXPECT_EQ(s().baseURL(), u"");
  EXPECT_EQ(s().defaultFrame(), u"");
  EXPECT_FALSE(s().getMode(u"loop"));
  EXPECT_FALSE(s().getMode(u"shuffle"));
  EXPECT_FALSE(s().isAvailable(u"Rate"));
  EXPECT_FALSE(player->stretchToFit());
  EXPECT_EQ(c().currentPositionString(), u"");
  EXPECT_DOUBLE_EQ(c().currentPosition(), 0);
  for (auto name : {u"Play", u"Pause", u"Stop", u"FastForward", u"FastReverse", u"Next", u"Previous",
                    u"CurrentPosition", u"Bogus"})
    EXPECT_FALSE(c().isAvailable(name)) << ToNarrow(name);
  EXPECT_EQ(player->EngineProperty("volume"), "50.000000");
  EXPECT_EQ(player->EngineProperty("pause"), "yes");
  ASSERT_NE(player->Widget(), nullptr);
  EXPECT_EQ(player->Widget()->cursor().shape(), Qt::CrossCursor);
}

TEST_F(MpvPlayerTest, VersionInfoNamesTheEngineAndItsDecoders) {
  const std::string v = ToNarrow(player->versionInfo());
  EXPECT_EQ(v.rfind("mpv 0.", 0), 0u) << v;
  EXPECT_NE(v.find("libmpv 2."), std::string::npos) << v;
  EXPECT_NE(v.find("FFmpeg "), std::string::npos) << v;
}

TEST_F(MpvPlayerTest, OpenFiresTheOpenStatesThenMediaChangeAndIsReady) {
  const std::string clip = test::ClipMp4();
  ASSERT_FALSE(clip.empty());
  player->setURL(ToWide(clip));
  EXPECT_NE(player->status(), kStatusReady);  // at once: the tick must not take the player for idle
  ASSERT_NE(player->currentMedia(), nullptr);
  EXPECT_EQ(player->URL(), ToWide(clip));
  ASSERT_TRUE(WaitFor([&] { return log.Has("play 10"); })) << log.Joined();
  const int changing = log.IndexOf("open 8");
  const int opening = log.IndexOf("open 12");
  const int open = log.IndexOf("open 13");
  const int media = log.IndexOf("media clip 320x240");
  const int ready = log.IndexOf("play 10");
  EXPECT_GE(changing, 0) << log.Joined();
  EXPECT_LT(changing, opening) << log.Joined();
  EXPECT_LT(opening, open) << log.Joined();
  EXPECT_LT(open, media) << log.Joined();
  EXPECT_LT(media, ready) << log.Joined();
  EXPECT_EQ(player->status(), kStatusReady);
  auto m = player->currentMedia();
  EXPECT_EQ(m->name(), u"clip");
  EXPECT_EQ(m->sourceURL(), ToWide(clip));
  EXPECT_NEAR(m->duration(), 45.0, 0.2);
  EXPECT_EQ(m->durationString(), u"00:45");
  EXPECT_EQ(m->imageSourceWidth(), 320);
  EXPECT_EQ(m->imageSourceHeight(), 240);
  EXPECT_EQ(c().currentPositionString(), u"00:00");
  EXPECT_TRUE(c().isAvailable(u"Play"));
  EXPECT_FALSE(c().isAvailable(u"Pause"));
  EXPECT_TRUE(c().isAvailable(u"CurrentPosition"));
  EXPECT_TRUE(s().isAvailable(u"Rate"));
  // No auto start.
  test::Pump(200);
  EXPECT_EQ(player->playState(), wmppsReady);
  EXPECT_EQ(player->EngineProperty("pause"), "yes");
}

TEST_F(MpvPlayerTest, PlayGoesTransitioningThenPlayingAndTheClockRuns) {
  ASSERT_TRUE(Open(test::ClipMp4()));
  c().play();
  EXPECT_NE(player->status(), kStatusReady);
  // The events are fired from the event loop after the state has moved on: wait for them.
  ASSERT_TRUE(WaitFor([&] { return log.Has("play 3"); })) << log.Joined();
  EXPECT_LT(log.IndexOf("play 9"), log.IndexOf("play 3"));
  EXPECT_EQ(player->status(), kStatusPlaying);
  EXPECT_FALSE(c().isAvailable(u"Play"));
  EXPECT_TRUE(c().isAvailable(u"Pause"));
  EXPECT_TRUE(c().isAvailable(u"Stop"));
  ASSERT_TRUE(WaitFor([&] { return c().currentPosition() > 0.3; }));
}

TEST_F(MpvPlayerTest, PlayRightAfterTheUrlAsTheListDoes) {
  // ComboListSelect: stop, URL, play, without waiting in between.
  c().stop();
  player->setURL(ToWide(test::ClipMp4()));
  c().play();
  // The events are fired from the event loop after the state has moved on: wait for them.
  ASSERT_TRUE(WaitFor([&] { return log.IndexOf("play 3") >= 0; })) << log.Joined();
  const int media = log.IndexOf("media clip 320x240");
  EXPECT_GE(media, 0);
  EXPECT_LT(media, log.IndexOf("play 9"));
  EXPECT_LT(log.IndexOf("play 9"), log.IndexOf("play 3"));
  // Then the next file the same way, with the list's hint: its neighbours are
  // opened ahead once it plays, not before.
  c().stop();
  player->setURL(ToWide(test::ShortMp4()));
  c().play();
  player->HintNeighbours(test::ClipMp4(), test::TaggedMp4());
  bool openedEarly = false;
  EXPECT_TRUE(WaitFor([&] { return log.Has("media short 320x240"); })) << log.Joined();
  ASSERT_TRUE(WaitFor([&] {
    openedEarly = openedEarly || (player->StandbyOpens() > 0 && player->playState() != wmppsPlaying);
    return player->currentMedia()->name() == u"short" && player->playState() == wmppsPlaying;
  })) << log.Joined();
  EXPECT_FALSE(openedEarly);
  EXPECT_TRUE(WaitFor([&] { return player->StandbyOpens() == 2; }));
}

TEST_F(MpvPlayerTest, PauseAndStop) {
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  c().pause();
  EXPECT_EQ(player->playState(), wmppsPaused);
  EXPECT_EQ(player->status(), kStatusPaused);
  EXPECT_TRUE(c().isAvailable(u"Play"));
  EXPECT_FALSE(c().isAvailable(u"Pause"));
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("pause") == "yes"; }));
  c().setCurrentPosition(12);
  Settled(12, 1.0);
  c().stop();
  EXPECT_EQ(player->playState(), wmppsStopped);
  EXPECT_EQ(player->status(), kStatusStopped);
  EXPECT_DOUBLE_EQ(c().currentPosition(), 0);
  EXPECT_EQ(c().currentPositionString(), u"00:00");
  EXPECT_FALSE(c().isAvailable(u"Stop"));
  ASSERT_TRUE(PlayAndWait());
  EXPECT_EQ(player->status(), kStatusPlaying);
  EXPECT_LT(Settled(0.2, 0.5), 1.0);  // from the beginning
}

TEST_F(MpvPlayerTest, GetRightAfterPutGivesThePutValueAndThreeQuickSkipsAddUp) {
  ASSERT_TRUE(Open(test::ClipMp4()));
  c().setCurrentPosition(5);
  EXPECT_DOUBLE_EQ(c().currentPosition(), 5);
  EXPECT_NEAR(Settled(5, 1.0), 5, 1.0);
  ASSERT_TRUE(PlayAndWait());
  const double start = c().currentPosition();
  for (int i = 0; i < 3; ++i) c().setCurrentPosition(c().currentPosition() + 10);
  EXPECT_NEAR(c().currentPosition(), start + 30, 1e-9);
  EXPECT_EQ(c().currentPositionString(), FormatMediaTime(start + 30));
  EXPECT_NEAR(Settled(start + 30, 1.5), start + 30, 1.5);
  // Backwards likewise.
  const double there = c().currentPosition();
  c().setCurrentPosition(there - 10);
  c().setCurrentPosition(c().currentPosition() - 10);
  EXPECT_NEAR(c().currentPosition(), there - 20, 1e-9);
  EXPECT_NEAR(Settled(there - 20, 1.5), there - 20, 1.5);
}

TEST_F(MpvPlayerTest, SkipsOnATenSecondGopNeverStickOrGoTheWrongWay) {
  ASSERT_TRUE(Open(test::Gop10Mp4()));
  ASSERT_TRUE(PlayAndWait());
  double prev = 0;
  for (int i = 0; i < 4; ++i) {
    c().setCurrentPosition(c().currentPosition() + 10);
    const double target = c().currentPosition();
    Settled(target, TSeekController::kFarFromTarget, 4000);
    const double now = EngineTime();
    EXPECT_GT(now, prev + 5) << "press " << i << " target " << target;
    EXPECT_NEAR(now, target, TSeekController::kFarFromTarget + 0.5) << "press " << i;
    prev = now;
  }
  for (int i = 0; i < 4; ++i) {
    c().setCurrentPosition(c().currentPosition() - 10);
    const double target = c().currentPosition();
    Settled(target, TSeekController::kFarFromTarget, 4000);
    const double now = EngineTime();
    EXPECT_LT(now, prev - 5) << "press " << i << " target " << target;
    prev = now;
  }
}

TEST_F(MpvPlayerTest, SkipsNearTheEndOfALongGopFileStayInside) {
  ASSERT_TRUE(Open(test::Gop10Mp4()));
  c().setCurrentPosition(51);  // past the last keyframe (50)
  EXPECT_NEAR(Settled(51, 0.2), 51, 0.2);
  c().setCurrentPosition(c().currentPosition() + 5);
  EXPECT_NEAR(Settled(56, 0.2), 56, 0.2);
  EXPECT_NE(player->status(), kStatusStopped);
}

TEST_F(MpvPlayerTest, SeeksBeyondEitherEndAreClamped) {
  ASSERT_TRUE(Open(test::ClipMp4()));
  c().setCurrentPosition(10);
  Settled(10, 1);
  c().setCurrentPosition(-1e9);
  EXPECT_DOUBLE_EQ(c().currentPosition(), 0);
  EXPECT_NEAR(Settled(0, 0.05), 0, 0.05);
  ASSERT_TRUE(PlayAndWait());
  c().setCurrentPosition(1e12);
  EXPECT_NEAR(c().currentPosition(), player->currentMedia()->duration(), 1e-9);
  // The end of the media: stopped, so the list moves on.
  ASSERT_TRUE(WaitFor([&] { return player->status() == kStatusStopped; })) << log.Joined();
  EXPECT_EQ(player->playState(), wmppsStopped);
  EXPECT_NE(player->currentMedia(), nullptr);
}

TEST_F(MpvPlayerTest, EndOfFileIsMediaEndedThenStopped) {
  ASSERT_TRUE(Open(test::ShortMp4()));
  ASSERT_TRUE(PlayAndWait());
  ASSERT_TRUE(WaitFor([&] { return log.Has("play 1"); }, 6000)) << log.Joined();
  EXPECT_LT(log.IndexOf("play 8"), log.IndexOf("play 1")) << log.Joined();
  EXPECT_GE(log.IndexOf("play 8"), 0) << log.Joined();
  EXPECT_EQ(player->playState(), wmppsStopped);
  EXPECT_TRUE(c().isAvailable(u"Play"));
  // Play after the end starts again from the beginning.
  ASSERT_TRUE(PlayAndWait());
  EXPECT_LT(c().currentPosition(), 1.0);
}

// A jump to or past the end ends the media with MediaEnded then Stopped, so the
// list moves on, whether the engine was paused, playing or never started: the
// end is decided when the jump lands or, at the latest, on play.
TEST_F(MpvPlayerTest, JumpsPastTheEndEndTheMediaWhetherPausedOrNeverPlayed) {
  auto endsByPlay = [&](const char* what, int from) {
    SCOPED_TRACE(what);
    WaitFor([&] { return !player->SeekPending(); }, 3000);
    if (player->status() != kStatusStopped) c().play();
    ASSERT_TRUE(WaitFor([&] { return player->status() == kStatusStopped && log.IndexOf("play 1", from) >= 0; }, 3000))
        << log.Joined() << " / " << ToNarrow(player->status()) << " at " << c().currentPosition();
    EXPECT_LT(log.IndexOf("play 8", from), log.IndexOf("play 1", from)) << log.Joined();
    EXPECT_GE(log.IndexOf("play 8", from), 0) << log.Joined();
    test::Pump(300);
    EXPECT_EQ(player->status(), kStatusStopped);  // and stays so until played again
  };
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  c().pause();
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("pause") == "yes"; }));
  int from = static_cast<int>(log.entries.size());
  c().setCurrentPosition(c().currentPosition() + 60);
  endsByPlay("paused, +60 s, play", from);

  ASSERT_TRUE(Open(test::ClipMp4()));
  from = static_cast<int>(log.entries.size());
  c().setCurrentPosition(1e9);
  endsByPlay("opened without play, to the end, play", from);

  // Pause, jump and play at once, before the engine has answered any of them.
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  from = static_cast<int>(log.entries.size());
  c().pause();
  c().setCurrentPosition(c().currentPosition() + 60);
  c().play();
  endsByPlay("pause, +60 s and play at once", from);
}

// A file opened ahead takes over as a normal open would: the same events, and
// the player's settings on its core. The core left keeps its file, rewound, for
// the way back; a move to a file still opening ahead takes that core too.
TEST_F(MpvPlayerTest, AStandbySwapFiresTheEventsOfAnOpenAndKeepsTheSettings) {
  // The list's move to a file: stop, URL, play; the events until it plays.
  auto moveTo = [&](const std::string& path, const std::u16string& name) {
    // The current file's own "playing" may still be on its way: it is not the move's.
    EXPECT_TRUE(WaitFor([&] { return log.Has("play 3"); })) << log.Joined();
    log.entries.clear();
    c().stop();
    player->setURL(ToWide(path));
    c().play();
    EXPECT_TRUE(WaitFor([&] { return player->currentMedia()->name() == name && log.Has("play 3"); })) << log.Joined();
    test::Pump(300);  // and whatever would come late
    return log.entries;
  };
  ASSERT_TRUE(Open(test::Gop10Mp4()));
  ASSERT_TRUE(PlayAndWait());
  const std::vector<std::string> opened = moveTo(test::ClipMp4(), u"clip");
  moveTo(test::Gop10Mp4(), u"gop10");
  c().setCurrentPosition(5);
  Settled(5, 0.5);
  s().setVolume(30);
  s().setMute(true);
  s().setBalance(-40);
  s().setRate(1.5);
  player->HintNeighbours(test::ClipMp4(), test::TaggedMp4());
  ASSERT_TRUE(WaitFor([&] { return player->StandbysReady() == 2; }));
  const int ownOpens = player->OwnOpens();
  EXPECT_EQ(moveTo(test::ClipMp4(), u"clip"), opened);
  // Clip's core was taken; tagged's is left, and gop10's, rewound, joins it.
  EXPECT_TRUE(WaitFor([&] { return player->StandbysReady() == 2; }));
  EXPECT_EQ(ToNarrow(player->URL()), test::ClipMp4());
  EXPECT_EQ(player->EngineProperty("path"), test::ClipMp4());  // the core now current holds it
  EXPECT_EQ(player->EngineProperty("mute"), "yes");
  EXPECT_EQ(std::atof(player->EngineProperty("volume").c_str()), 30);
  EXPECT_NE(player->EngineProperty("af").find("pan"), std::string::npos) << player->EngineProperty("af");
  EXPECT_NE(player->EngineProperty("af").find("scaletempo2"), std::string::npos) << player->EngineProperty("af");
  EXPECT_EQ(std::atof(player->EngineProperty("speed").c_str()), 1.5);
  EXPECT_TRUE(WaitFor([&] { return c().currentPosition() > 0.2; }));

  const int standbyOpens = player->StandbyOpens();
  moveTo(test::Gop10Mp4(), u"gop10");
  EXPECT_LT(c().currentPosition(), 3);  // from its start again, not from 5 s
  player->HintNeighbours(test::ShortMp4(), test::ClipMp4());  // clip's core is the one just left
  ASSERT_TRUE(WaitFor([&] { return player->StandbyOpens() == standbyOpens + 1; }));
  moveTo(test::ShortMp4(), u"short");  // while it opens
  EXPECT_EQ(player->StandbyOpens(), standbyOpens + 1);
  EXPECT_EQ(player->OwnOpens(), ownOpens);
}

// A neighbour the engine failed on cannot stand in when the list moves to it,
// and is not opened ahead again while it is unchanged.
TEST_F(MpvPlayerTest, ABrokenNeighbourIsNotHandedOverNorReopenedUnchanged) {
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  player->HintNeighbours(test::ZeroByteMp4(), test::Gop10Mp4());
  ASSERT_TRUE(WaitFor([&] { return player->StandbysReady() == 1 && player->StandbysFailed() == 1; }));
  player->setURL(ToWide(test::ZeroByteMp4()));
  c().play();
  ASSERT_TRUE(WaitFor([&] { return player->status() == kStatusStopped; }, 8000)) << log.Joined();
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  player->HintNeighbours(test::ZeroByteMp4(), test::TaggedMp4());
  ASSERT_TRUE(WaitFor([&] { return player->StandbyOpens() >= 3; }));  // one pass opens all it opens
  EXPECT_EQ(player->StandbyOpens(), 3);  // the tagged clip only
}

// An end of the previous file the engine reports after the next URL was put
// belongs to that file, not to the new one.
TEST_F(MpvPlayerTest, ALateEndOfThePreviousFileLeavesTheNewOneAlone) {
  player->setURL(ToWide(test::ZeroByteMp4()));
  QCoreApplication::processEvents();  // the load is sent to the engine
  ASSERT_EQ(player->EngineProperty("idle-active"), "no");
  // Polled without the event loop: the engine is idle again once it has failed
  // the file, and its report of the end waits unread.
  for (int i = 0; i < 500 && player->EngineProperty("idle-active") != "yes"; ++i) usleep(10 * 1000);
  ASSERT_EQ(player->EngineProperty("idle-active"), "yes");
  player->setURL(ToWide(test::ShortMp4()));
  c().play();
  ASSERT_TRUE(WaitFor([&] { return player->playState() == wmppsPlaying; }))
      << log.Joined() << " / " << ToNarrow(player->status());
  EXPECT_EQ(player->currentMedia()->name(), u"short");
}

TEST_F(MpvPlayerTest, CloseGivesNoMediaAndReady) {
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  player->setURL(u"");
  EXPECT_EQ(player->currentMedia(), nullptr);
  EXPECT_EQ(player->URL(), u"");
  EXPECT_EQ(player->status(), kStatusReady);
  EXPECT_EQ(c().currentPositionString(), u"");
  EXPECT_FALSE(c().isAvailable(u"Play"));
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("idle-active") == "yes"; }));
  c().play();  // nothing to play
  c().setCurrentPosition(10);
  EXPECT_DOUBLE_EQ(c().currentPosition(), 0);
  EXPECT_EQ(player->status(), kStatusReady);
}

TEST_F(MpvPlayerTest, VolumeMuteAndBalanceReachTheEngineClamped) {
  s().setVolume(150);
  EXPECT_EQ(s().volume(), 100);
  s().setVolume(-5);
  EXPECT_EQ(s().volume(), 0);
  s().setVolume(70);
  s().setMute(true);
  EXPECT_TRUE(s().mute());
  s().setBalance(1000);
  EXPECT_EQ(s().balance(), 100);
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("volume") == "70.000000"; }));
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("mute") == "yes"; }));
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("af").find("pan=stereo") != std::string::npos; }))
      << player->EngineProperty("af");
  EXPECT_NE(player->EngineProperty("af").find("c0=0.00*c0|c1=1.00*c1"), std::string::npos);
  s().setBalance(-40);
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("af").find("c0=1.00*c0|c1=0.60*c1") != std::string::npos; }))
      << player->EngineProperty("af");
  // With a file playing through the filter.
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  ASSERT_TRUE(WaitFor([&] { return c().currentPosition() > 0.5; }));
  EXPECT_EQ(player->playState(), wmppsPlaying);
  s().setBalance(0);
  EXPECT_EQ(s().balance(), 0);
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("af").empty(); })) << player->EngineProperty("af");
  s().setMute(false);
  EXPECT_EQ(s().volume(), 70);
}

TEST_F(MpvPlayerTest, TheRateKeepsThePitchWithTheBalanceAndHoldsForTheNextFile) {
  s().setBalance(-40);
  s().setRate(1.5);
  EXPECT_EQ(s().rate(), 1.5);
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("speed") == "1.500000"; })) << player->EngineProperty("speed");
  EXPECT_NE(player->EngineProperty("af").find("scaletempo2"), std::string::npos) << player->EngineProperty("af");
  EXPECT_NE(player->EngineProperty("af").find("c0=1.00*c0|c1=0.60*c1"), std::string::npos);
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  EXPECT_EQ(player->EngineProperty("speed"), "1.500000");
  s().setRate(1.0);
  s().setBalance(0);
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("af").empty(); })) << player->EngineProperty("af");
  EXPECT_EQ(player->EngineProperty("speed"), "1.000000");
}

TEST_F(MpvPlayerTest, AttributesOfATaggedClip) {
  const std::string path = test::TaggedMp4();
  ASSERT_TRUE(Open(path));
  auto m = player->currentMedia();
  EXPECT_EQ(ToNarrow(m->name()), test::kTaggedTitle);
  EXPECT_EQ(ToNarrow(m->getItemInfo(u"title")), test::kTaggedTitle);
  EXPECT_EQ(ToNarrow(m->getItemInfo(u"artist")), test::kTaggedArtist);
  EXPECT_EQ(ToNarrow(m->getItemInfo(u"album")), "Album");
  EXPECT_EQ(ToNarrow(m->getItemInfo(u"comment")), "a comment");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(ToNarrow(m->getItemInfo(u"FileSize")), std::to_string(st.st_size));
  EXPECT_NE(ToNarrow(m->getItemInfo(u"FileType")).find("mp4"), std::string::npos);
  EXPECT_NEAR(std::atof(ToNarrow(m->getItemInfo(u"Duration")).c_str()), 3.0, 0.1);
  EXPECT_GT(std::atoll(ToNarrow(m->getItemInfo(u"Bitrate")).c_str()), 0);
  EXPECT_EQ(m->getItemInfo(u"Width"), u"320");
  EXPECT_EQ(m->getItemInfo(u"Height"), u"240");
  EXPECT_EQ(m->getItemInfo(u"FrameRate"), u"25.000");
  EXPECT_EQ(m->getItemInfo(u"VideoCodec"), u"h264");
  EXPECT_EQ(m->getItemInfo(u"AudioCodec"), u"aac");
  EXPECT_EQ(m->getItemInfo(u"AudioChannels"), u"2");
  EXPECT_EQ(m->getItemInfo(u"AudioSampleRate"), u"44100");
  // Every name listed gives its value back, in a stable order: the facts first.
  const int32_t n = m->attributeCount();
  ASSERT_GE(n, 17);
  EXPECT_EQ(m->getAttributeName(0), u"FileSize");
  EXPECT_EQ(m->getAttributeName(1), u"FileType");
  bool sawTitle = false;
  for (int32_t i = 0; i < n; ++i) {
    const std::u16string name = m->getAttributeName(i);
    EXPECT_FALSE(name.empty());
    if (name == u"title") sawTitle = true;
  }
  EXPECT_TRUE(sawTitle);
  EXPECT_EQ(m->getAttributeName(n), u"");
  EXPECT_EQ(m->getItemInfo(u"NoSuchAttribute"), u"");
}

TEST_F(MpvPlayerTest, AudioOnlyAndTinyWav) {
  ASSERT_TRUE(Open(test::AudioM4a()));
  auto m = player->currentMedia();
  EXPECT_EQ(m->imageSourceWidth(), 0);
  EXPECT_EQ(m->imageSourceHeight(), 0);
  EXPECT_EQ(m->getItemInfo(u"VideoCodec"), u"");
  EXPECT_EQ(m->getItemInfo(u"AudioCodec"), u"aac");
  EXPECT_TRUE(WaitFor([&] { return log.Has("media audio 0x0"); })) << log.Joined();
  ASSERT_TRUE(PlayAndWait());
  c().setCurrentPosition(3);
  EXPECT_NEAR(Settled(3, 0.3), 3, 0.3);

  ASSERT_TRUE(Open(test::TinyWav()));
  ASSERT_TRUE(WaitFor([&] { return log.Has("media tiny 0x0"); })) << log.Joined();
  const int from = static_cast<int>(log.entries.size());
  c().play();
  ASSERT_TRUE(WaitFor([&] { return log.IndexOf("play 1", from) >= 0; })) << log.Joined();
  EXPECT_LT(log.IndexOf("play 3", from), log.IndexOf("play 8", from)) << log.Joined();
  EXPECT_EQ(player->currentMedia()->getItemInfo(u"AudioCodec"), u"pcm_s16le");
}

// Bad input: each ends stopped with "停止", keeps a current media (so the tick
// goes on to the next file) and leaves the player usable.
class MpvPlayerBadInputTest : public MpvPlayerTest {
 protected:
  void ExpectStopped(const std::string& path, bool play = true) {
    SCOPED_TRACE(path.size() > 200 ? path.substr(0, 200) + "..." : path);
    player->setURL(ToWide(path));
    if (play) c().play();
    ASSERT_TRUE(WaitFor([&] { return player->status() == kStatusStopped; }, 8000)) << log.Joined();
    EXPECT_EQ(player->playState(), wmppsStopped);
    ASSERT_NE(player->currentMedia(), nullptr);
    EXPECT_EQ(player->URL(), ToWide(path));
    EXPECT_FALSE(c().isAvailable(u"Pause"));
    c().setCurrentPosition(10);  // no error, no effect on a file that did not open
    test::Pump(100);
    EXPECT_EQ(player->status(), kStatusStopped);
    // The engine plays nothing (no play-list entries of its own either).
    EXPECT_TRUE(WaitFor([&] { return player->EngineProperty("idle-active") == "yes"; }, 2000));
  }
  void ExpectStillPlays() {
    ASSERT_TRUE(Open(test::ShortMp4()));
    ASSERT_TRUE(PlayAndWait());
  }
};

TEST_F(MpvPlayerBadInputTest, ZeroByteFile) {
  ExpectStopped(test::ZeroByteMp4());
  ExpectStillPlays();
}

TEST_F(MpvPlayerBadInputTest, TextFileRenamedMp4IsNoPlayList) {
  ExpectStopped(test::TextAsMp4());
  test::Pump(300);
  EXPECT_EQ(player->status(), kStatusStopped);
  EXPECT_NE(player->EngineProperty("idle-active"), "no") << "the engine plays something";
  ExpectStillPlays();
}

TEST_F(MpvPlayerBadInputTest, TruncatedClip) {
  ExpectStopped(test::TruncatedMp4());
  ExpectStillPlays();
}

TEST_F(MpvPlayerBadInputTest, MissingFileFolderAndLongUrl) {
  test::TTempDir dir;
  ExpectStopped(dir / "missing.mp4");
  ExpectStopped(dir.Path());
  ExpectStopped(dir.MakeDir("folder.mp4"));
  ExpectStopped("/" + std::string(5000, 'a') + ".mp4");
  ExpectStopped("relative-missing.mp4");
  ExpectStillPlays();
}

// A core whose load reply names no play-list entry (as older ones): without
// the id nothing of the file's could be told from the previous one's.
TEST_F(MpvPlayerBadInputTest, ALoadReplyWithoutTheEntryFailsTheFile) {
  player = std::make_unique<TMpvPlayer>(nullptr, MpvPlayerOptions{.headless = true, .audioOutput = "", .loadRepliesWithoutEntry = true});
  log.Attach(*player);
  ExpectStopped(test::ShortMp4());
}

TEST_F(MpvPlayerBadInputTest, OpeningAMissingFileStopsThePreviousOne) {
  ASSERT_TRUE(Open(test::ClipMp4()));
  ASSERT_TRUE(PlayAndWait());
  test::TTempDir dir;
  ExpectStopped(dir / "gone.mp4");
  ASSERT_TRUE(WaitFor([&] { return player->EngineProperty("idle-active") == "yes"; }));
}

TEST_F(MpvPlayerBadInputTest, InvalidUtf8AndNewlinesInTheName) {
  test::TTempDir dir;
  const std::string clip = test::ShortMp4();
  for (const std::string& name : {std::string("caf\xE9\xFF.mp4"), std::string("line\nbreak.mp4"),
                                 std::string("-dash --start=1.mp4"), std::string("語 \"q\" 'a'.mp4")}) {
    const std::string path = dir / name;
    std::filesystem::copy_file(clip, path);
    // The path travels as UTF-16 with lone surrogates for the invalid bytes.
    const std::u16string wide = ToWide(path);
    player->setURL(wide);
    c().play();
    ASSERT_TRUE(WaitFor([&] { return player->playState() == wmppsPlaying; })) << name << ": " << log.Joined();
    EXPECT_EQ(player->URL(), wide);
    EXPECT_EQ(ToNarrow(player->currentMedia()->name()), name.substr(0, name.size() - 4));
  }
}

TEST_F(MpvPlayerBadInputTest, FileDeletedWhilePlaying) {
  test::TTempDir dir;
  const std::string path = dir / "doomed.mp4";
  std::filesystem::copy_file(test::ShortMp4(), path);
  ASSERT_TRUE(Open(path));
  ASSERT_TRUE(PlayAndWait());
  ASSERT_EQ(unlink(path.c_str()), 0);
  c().setCurrentPosition(1.5);
  ASSERT_TRUE(WaitFor([&] { return player->status() == kStatusStopped; }, 6000)) << log.Joined();
  // Play again: the engine lets go of the file at the end, so it may not open any more.
  c().play();
  test::Pump(300);
  ExpectStillPlays();
}

TEST_F(MpvPlayerBadInputTest, StopWhileOpeningThenPlayOpensAgain) {
  player->setURL(ToWide(test::ClipMp4()));
  c().stop();
  EXPECT_EQ(player->status(), kStatusStopped);
  test::Pump(200);
  EXPECT_EQ(player->status(), kStatusStopped);
  ASSERT_TRUE(PlayAndWait()) << log.Joined();
}

TEST_F(MpvPlayerBadInputTest, RapidSwitchingEndsOnTheLastFile) {
  const std::string files[] = {test::TaggedMp4(), test::ZeroByteMp4(), test::ShortMp4(), test::AudioM4a(),
                               test::TextAsMp4(), test::ClipMp4()};
  for (int round = 0; round < 3; ++round) {
    for (const auto& f : files) {
      c().stop();
      player->setURL(ToWide(f));
      c().play();
      c().setCurrentPosition(c().currentPosition() + 10);
    }
  }
  ASSERT_TRUE(WaitFor([&] { return player->playState() == wmppsPlaying; }))
      << log.Joined() << " / " << ToNarrow(player->status());
  EXPECT_EQ(player->currentMedia()->name(), u"clip");
  EXPECT_TRUE(WaitFor([&] { return log.Has("media clip 320x240"); })) << log.Joined();
  // The skip put while opening is carried out once the file is open.
  EXPECT_NEAR(Settled(10, 1.5), 10, 1.5);
}

void SendMouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, at, w->mapToGlobal(at), button, held, modifiers);
  QCoreApplication::sendEvent(w, &event);
}

void ClickOn(QWidget* w, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  SendMouse(w, QEvent::MouseButtonPress, at, button, modifiers);
  SendMouse(w, QEvent::MouseButtonRelease, at, button, modifiers);
}

TEST_F(MpvPlayerTest, ClicksOnThePictureReportButtonShiftAndPositionAndARightClickOpensTheMenu) {
  player->Widget()->resize(712, 415);
  QWidget* picture = player->Widget()->findChild<TMpvVideoWidget*>();
  ASSERT_NE(picture, nullptr);
  ClickOn(picture, QPointF(50, 7), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_TRUE(log.Has("click 1 1 50 7")) << log.Joined();
  log.entries.clear();
  ClickOn(picture, QPointF(600, 300), Qt::RightButton, Qt::ControlModifier);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  QStringList items;
  for (QAction* action : menu->actions()) items << action->text();
  EXPECT_EQ(items, QStringList({"再生", "停止", "Mute", "", "全画面表示"}));
  menu->close();
  test::Pump(20);
  // The menu closed changes nothing, and its click was no click on the picture.
  EXPECT_TRUE(log.entries.empty()) << log.Joined();
  EXPECT_FALSE(s().mute());
}

TEST_F(MpvPlayerTest, TheStripsSeekBarPutsThePositionWhereItIsClickedAndDragged) {
  player->Widget()->resize(712, 415);
  player->Widget()->show();  // laid out: the bar runs across the width
  auto* strip = player->Widget()->findChild<TControlStrip*>();
  ASSERT_NE(strip, nullptr);
  TSeekBar& bar = strip->SeekBar();
  const auto at = [&](double share) { return QPointF(bar.width() * share, bar.height() / 2.0); };
  strip->Refresh();
  EXPECT_FALSE(bar.isEnabled());  // no media
  ASSERT_TRUE(Open(test::Gop10Mp4()));
  strip->Refresh();
  ASSERT_TRUE(bar.isEnabled());
  ClickOn(&bar, at(0.4), Qt::LeftButton);
  // 10 s between keyframes: only an exact seek lands there.
  EXPECT_NEAR(Settled(24, 0.8), 24, 0.8);
  SendMouse(&bar, QEvent::MouseButtonPress, at(0.2), Qt::LeftButton);
  SendMouse(&bar, QEvent::MouseMove, at(0.5), Qt::LeftButton);
  SendMouse(&bar, QEvent::MouseMove, at(0.7), Qt::LeftButton);
  SendMouse(&bar, QEvent::MouseButtonRelease, at(0.75), Qt::LeftButton);
  EXPECT_NEAR(Settled(45, 0.8), 45, 0.8);
  // A click on the strip beside its controls is no click on the picture.
  ClickOn(strip, QPointF(strip->width() / 2.0, strip->height() - 3.0), Qt::LeftButton);
  EXPECT_FALSE(log.Has("click")) << log.Joined();
  // A pointer that comes to rest on the bar (as it shows in full screen) gets its preview without a move.
  const auto previewShown = [] {
    const QWidgetList tops = QApplication::topLevelWidgets();
    return std::any_of(tops.begin(), tops.end(), [](QWidget* w) { return w->windowType() == Qt::ToolTip && w->isVisible(); });
  };
  QEnterEvent enter(at(0.3), at(0.3), bar.mapToGlobal(at(0.3)));
  QCoreApplication::sendEvent(&bar, &enter);
  EXPECT_TRUE(previewShown());
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&bar, &leave);
  EXPECT_FALSE(previewShown());
}

TEST_F(MpvPlayerTest, InFullScreenTheStripShowsOverThePictureWhileThePointerIsThere) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(player->Widget());
  window.resize(712, 415);
  window.show();
  QWidget* area = player->Widget();
  auto* strip = area->findChild<TControlStrip*>();
  QWidget* picture = area->findChild<TMpvVideoWidget*>();
  ASSERT_TRUE(strip && picture);
  EXPECT_EQ(picture->height(), area->height() - strip->height());
  EXPECT_TRUE(strip->isVisible());
  window.setWindowState(Qt::WindowFullScreen);
  EXPECT_EQ(picture->height(), area->height());
  EXPECT_FALSE(strip->isVisible());
  const auto moveTo = [&](int y) { SendMouse(picture, QEvent::MouseMove, QPointF(100, y), Qt::NoButton); };
  moveTo(area->height() - 5);
  EXPECT_TRUE(strip->isVisible());
  EXPECT_EQ(strip->geometry().bottom(), area->mapTo(&window, QPoint(0, area->height() - 1)).y());
  moveTo(area->height() / 2);  // left the bottom
  EXPECT_FALSE(strip->isVisible());
  moveTo(area->height() - 5);
  EXPECT_TRUE(WaitFor([&] { return !strip->isVisible(); }, kStripHideMs * 3));  // at rest
  window.setWindowState(Qt::WindowNoState);
  EXPECT_TRUE(strip->isVisible());
  EXPECT_EQ(strip->parentWidget(), area);
  EXPECT_EQ(picture->height(), area->height() - strip->height());
  window.setWindowState(Qt::WindowFullScreen);
  layout->removeWidget(area);
  player.reset();  // in full screen: the strip, a child of the window then, goes with the player
  EXPECT_TRUE(window.findChildren<TControlStrip*>().isEmpty());
}

TEST(MpvPreviewDecoder, APictureAtTheTimeAskedAndNoneForSoundAloneOrAMissingFile) {
  test::EnsureApp();
  std::mutex mutex;
  std::vector<std::pair<std::string, TPreviewPicturePtr>> answers;
  TMpvPreviewDecoder decoder([&](const TPreviewJob& job, TPreviewPicturePtr picture) {
    std::lock_guard<std::mutex> lock(mutex);
    answers.emplace_back(job.FPath, std::move(picture));
  });
  const auto answer = [&](const std::string& path, double seconds) {
    const size_t before = answers.size();
    decoder.Decode({path, seconds});
    EXPECT_TRUE(WaitFor([&] { std::lock_guard<std::mutex> lock(mutex); return answers.size() > before; }, 8000));
    std::lock_guard<std::mutex> lock(mutex);
    return answers.size() > before ? answers.back().second : nullptr;
  };
  TPreviewPicturePtr picture = answer(test::ClipMp4(), 10);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->FWidth, kPreviewWidth);
  EXPECT_EQ(picture->FHeight, 144);  // 320 x 240
  int bright = 0;
  for (size_t i = 0; i + 3 < picture->FPixels.size(); i += 4) bright += picture->FPixels[i] + picture->FPixels[i + 1] > 200;
  EXPECT_GT(bright, picture->FWidth * picture->FHeight / 4);  // the test pattern, not a black frame
  // The same file further on: the frame there, not the one before.
  TPreviewPicturePtr later = answer(test::ClipMp4(), 30);
  ASSERT_NE(later, nullptr);
  EXPECT_NE(later->FPixels, picture->FPixels);
  TPreviewPicturePtr again = answer(test::ClipMp4(), 10);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->FPixels, picture->FPixels);
  EXPECT_EQ(answer(test::AudioM4a(), 1), nullptr);
  EXPECT_EQ(answer(test::MediaDir() + "/gone.mp4", 1), nullptr);
  EXPECT_NE(answer(test::Gop10Mp4(), 35), nullptr);  // after both, a file with a picture again
}

TEST_F(MpvPlayerTest, ObjectRectsPlaceTheWidgetAndStretchReachesTheEngine) {
  QWidget panel;
  player->Widget()->setParent(&panel);
  player->SetObjectRects({0, 0, 640, 360}, {0, 0, 640, 360});
  EXPECT_EQ(player->Widget()->geometry(), QRect(0, 0, 640, 360));
  player->setStretchToFit(true);
  EXPECT_TRUE(player->stretchToFit());
  EXPECT_EQ(player->EngineProperty("video-unscaled"), "no");
  player.reset();  // the player takes its widget with it
  EXPECT_TRUE(panel.findChildren<QWidget*>().isEmpty());
}

TEST_F(MpvPlayerTest, HandlersMayCallBackIntoThePlayer) {
  // A MediaChange handler that reads everything, and a status handler that reads
  // the status, as the main window's handlers do.
  std::vector<std::u16string> statuses;
  std::u16string caption;
  WMPEvents ev;
  ev.StatusChange = [&] { statuses.push_back(player->status()); };
  ev.MediaChange = [&](IWMPMedia& m) {
    caption = m.name() + u" " + ToWide(std::to_string(m.imageSourceWidth())) + u"x" +
              ToWide(std::to_string(m.imageSourceHeight()));
  };
  ev.PlayStateChange = [&](int32_t st) {
    if (st == wmppsReady) c().play();  // as the tick would
  };
  player->setEvents(ev);
  player->setURL(ToWide(test::ClipMp4()));
  // The status event of playing is fired after the state has moved on.
  ASSERT_TRUE(WaitFor([&] { return !statuses.empty() && statuses.back() == kStatusPlaying; }))
      << (statuses.empty() ? "no status event" : ToNarrow(statuses.back()));
  EXPECT_EQ(player->playState(), wmppsPlaying);
  EXPECT_EQ(caption, u"clip 320x240");
}

}  // namespace
}  // namespace korvane
