// The player's plain logic, without mpv: time texts, seeks, the control strip, states, attributes, balance.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <map>

#include "player/AudioBalance.h"
#include "player/MediaInfo.h"
#include "player/PlayerStateMachine.h"
#include "player/PlayerTime.h"
#include "player/PreviewRules.h"
#include "player/SeekController.h"
#include "player/StandbyPlan.h"
#include "player/StripRules.h"
#include "tests/support/FakePlayer.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using Kind = PlayerEvent::Kind;
using Mode = SeekCommand::Mode;

TEST(MpvPlayerTime, MinutesAndSecondsThenHours) {
  EXPECT_EQ(FormatMediaTime(0), u"00:00");
  EXPECT_EQ(FormatMediaTime(83.46), u"01:23");
  EXPECT_EQ(FormatMediaTime(296.99), u"04:56");
  EXPECT_EQ(FormatMediaTime(3599.9), u"59:59");
  EXPECT_EQ(FormatMediaTime(3600), u"01:00:00");
  EXPECT_EQ(FormatMediaTime(36000 + 61), u"10:01:01");
  EXPECT_EQ(FormatMediaTime(-5), u"00:00");
  EXPECT_EQ(FormatMediaTime(0.0 / 0.0), u"00:00");
  EXPECT_EQ(FormatMediaTime(1e300), u"99999:59:59");
}

// The engine's reports of the seek `cmd` in their order: reply, start, restart at `landed`.
std::optional<SeekCommand> Land(TSeekController& s, const std::optional<SeekCommand>& cmd, double landed,
                                double duration) {
  EXPECT_TRUE(cmd);
  if (!cmd) return std::nullopt;
  EXPECT_FALSE(s.OnReply(cmd->id, true, landed, duration));
  s.OnSeekStarted();
  return s.OnRestart(landed, duration);
}

TEST(MpvPlayerSeek, GetAfterPutGivesThePutValueUntilReached) {
  TSeekController s;
  auto cmd = s.Put(20, 5, 45, true);
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->mode, Mode::KeyframeRelative);
  EXPECT_DOUBLE_EQ(cmd->delta, 15);
  EXPECT_NE(cmd->id, 0u);
  EXPECT_TRUE(s.Pending());
  EXPECT_DOUBLE_EQ(s.Target(), 20);
  EXPECT_FALSE(Land(s, cmd, 20, 45));
  EXPECT_FALSE(s.Pending());
}

TEST(MpvPlayerSeek, QuickPutsAddUpAndRunOneAfterTheOther) {
  TSeekController s;
  double pos = 5;
  auto first = s.Put(pos + 10, pos, 45, true);
  ASSERT_TRUE(first);
  // Two more presses while the first seek runs: the caller reads the target.
  EXPECT_FALSE(s.Put(s.Target() + 10, pos, 45, true));
  EXPECT_FALSE(s.Put(s.Target() + 10, pos, 45, true));
  EXPECT_DOUBLE_EQ(s.Target(), 35);
  auto next = Land(s, first, 15, 45);  // the first landed
  ASSERT_TRUE(next);
  EXPECT_EQ(next->mode, Mode::KeyframeRelative);
  EXPECT_DOUBLE_EQ(next->delta, 20);
  EXPECT_NE(next->id, first->id);
  EXPECT_DOUBLE_EQ(s.Target(), 35);
  // A second report of the first seek does not end the second.
  EXPECT_FALSE(s.OnReply(first->id, true, 15, 45));
  s.OnSeekStarted();
  EXPECT_FALSE(s.OnRestart(15, 45));
  EXPECT_TRUE(s.Pending());
  EXPECT_FALSE(Land(s, next, 35, 45));
  EXPECT_FALSE(s.Pending());
}

TEST(MpvPlayerSeek, RestartBeforeTheSeekStartedIsNotItsEnd) {
  TSeekController s;
  // The restart that starts the file comes after the seek was sent, before and
  // after the reply: the 10 s GOP seek must still get its exact follow-up.
  auto cmd = s.Put(31, 21, 60, true);
  ASSERT_TRUE(cmd);
  EXPECT_FALSE(s.OnRestart(21, 60));
  EXPECT_FALSE(s.OnReply(cmd->id, true, 21, 60));
  EXPECT_FALSE(s.OnRestart(21, 60));
  EXPECT_TRUE(s.Pending());
  s.OnSeekStarted();
  auto follow = s.OnRestart(40, 60);
  ASSERT_TRUE(follow);
  EXPECT_EQ(follow->mode, Mode::ExactAbsolute);
  EXPECT_DOUBLE_EQ(follow->target, 31);
  EXPECT_FALSE(Land(s, follow, 31, 60));
  EXPECT_FALSE(s.Pending());
}

TEST(MpvPlayerSeek, ReportsOfASeekGivenUpAreNotTakenForTheNext) {
  TSeekController s;
  auto old = s.Put(40, 0, 60, true);
  ASSERT_TRUE(old);
  s.Reset();  // stopped while it ran
  auto cmd = s.Put(12, 0, 60, true);
  ASSERT_TRUE(cmd);
  EXPECT_GT(cmd->id, old->id);
  EXPECT_FALSE(s.OnReply(old->id, true, 0, 60));
  s.OnSeekStarted();
  EXPECT_FALSE(s.OnRestart(40, 60));
  EXPECT_TRUE(s.Pending());
  EXPECT_FALSE(Land(s, cmd, 12, 60));
  EXPECT_FALSE(s.Pending());
}

TEST(MpvPlayerSeek, FailedSeekMovesNothing) {
  TSeekController s;
  auto cmd = s.Put(20, 5, 45, true);
  ASSERT_TRUE(cmd);
  EXPECT_FALSE(s.OnReply(cmd->id, false, 5, 45));
  EXPECT_FALSE(s.Pending());
  // A target put meanwhile is planned from where playback still is.
  cmd = s.Put(20, 5, 45, true);
  ASSERT_TRUE(cmd);
  EXPECT_FALSE(s.Put(30, 5, 45, true));
  auto next = s.OnReply(cmd->id, false, 5, 45);
  ASSERT_TRUE(next);
  EXPECT_DOUBLE_EQ(next->delta, 25);
}

TEST(MpvPlayerSeek, ASeekRepliedToButNeverStartedIsGivenUp) {
  TSeekController s;
  auto cmd = s.Put(45, 40, 45, true);
  ASSERT_TRUE(cmd);
  EXPECT_FALSE(s.OnReply(cmd->id, true, 45, 45));
  EXPECT_FALSE(s.OnStartOverdue(cmd->id + 1, 45, 45));  // not the seek in flight
  EXPECT_TRUE(s.Pending());
  EXPECT_FALSE(s.OnStartOverdue(cmd->id, 45, 45));
  EXPECT_FALSE(s.Pending());
  // A target put meanwhile is planned from where playback is; a started seek waits on.
  cmd = s.Put(10, 45, 45, true);
  ASSERT_TRUE(cmd);
  EXPECT_FALSE(s.Put(20, 45, 45, true));
  EXPECT_FALSE(s.OnReply(cmd->id, true, 45, 45));
  auto next = s.OnStartOverdue(cmd->id, 45, 45);
  ASSERT_TRUE(next);
  EXPECT_DOUBLE_EQ(next->delta, -25);
  EXPECT_FALSE(s.OnReply(next->id, true, 45, 45));
  s.OnSeekStarted();
  EXPECT_FALSE(s.OnStartOverdue(next->id, 45, 45));
  EXPECT_TRUE(s.Pending());
}

TEST(MpvPlayerSeek, ClampsBeyondEitherEnd) {
  TSeekController s;
  s.Put(-1e9, 10, 45, true);
  EXPECT_DOUBLE_EQ(s.Target(), 0);
  s.Reset();
  s.Put(1e12, 10, 45, true);
  EXPECT_DOUBLE_EQ(s.Target(), 45);
  s.Reset();
  s.Put(0.0 / 0.0, 10, 45, true);
  EXPECT_DOUBLE_EQ(s.Target(), 0);
  s.Reset();
  s.Put(1e300 * 1e300, 10, 0, true);  // +inf with an unknown duration
  EXPECT_DOUBLE_EQ(s.Target(), 0);
}

TEST(MpvPlayerSeek, ForwardIntoTheLastSecondsIsExact) {
  TSeekController s;
  auto cmd = s.Put(55, 40, 60, true);
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->mode, Mode::ExactAbsolute);
  EXPECT_DOUBLE_EQ(cmd->target, 55);
  // Backwards from the end is a keyframe seek again.
  s.Reset();
  cmd = s.Put(45, 55, 60, true);
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->mode, Mode::KeyframeRelative);
}

TEST(MpvPlayerSeek, FarOrStuckLandingGetsAnExactFollowUp) {
  TSeekController s;
  // A 10 s GOP: +10 from 21 snaps forward to 40, 9 s past the target.
  auto follow = Land(s, s.Put(31, 21, 60, true), 40, 60);
  ASSERT_TRUE(follow);
  EXPECT_EQ(follow->mode, Mode::ExactAbsolute);
  EXPECT_DOUBLE_EQ(follow->target, 31);
  EXPECT_TRUE(s.Pending());
  EXPECT_FALSE(Land(s, follow, 31, 60));
  EXPECT_FALSE(s.Pending());
  // The GOPs of this media are long: the next skips go straight to the target.
  auto cmd = s.Put(21, 31, 60, true);
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->mode, Mode::ExactAbsolute);
  EXPECT_DOUBLE_EQ(cmd->target, 21);
  EXPECT_FALSE(Land(s, cmd, 21, 60));
  s.Reset();  // until another media
  // Landing where it started (no progress) is never accepted.
  follow = Land(s, s.Put(32, 31, 60, true), 31, 60);
  ASSERT_TRUE(follow);
  EXPECT_EQ(follow->mode, Mode::ExactAbsolute);
  // Backwards the same.
  Land(s, follow, 32, 60);
  follow = Land(s, s.Put(30, 32, 60, true), 32.5, 60);
  ASSERT_TRUE(follow);
  EXPECT_DOUBLE_EQ(follow->target, 30);
}

TEST(MpvPlayerSeek, NearLandingIsAccepted) {
  TSeekController s;
  EXPECT_FALSE(Land(s, s.Put(15.3, 5.3, 45, true), 16, 45));
  EXPECT_FALSE(s.Pending());
}

TEST(MpvPlayerSeek, PutWhileOpeningIsIssuedOnLoadAndNotEndedByTheFirstRestart) {
  TSeekController s;
  EXPECT_FALSE(s.Put(12, 0, 0, false));
  EXPECT_TRUE(s.Pending());
  EXPECT_DOUBLE_EQ(s.Target(), 12);
  auto cmd = s.OnLoaded(0, 45);
  ASSERT_TRUE(cmd);
  EXPECT_DOUBLE_EQ(cmd->target, 12);
  EXPECT_FALSE(s.OnRestart(0, 45));  // playback of the file starts
  EXPECT_TRUE(s.Pending());
  EXPECT_FALSE(Land(s, cmd, 12, 45));
  EXPECT_FALSE(s.Pending());
}

TEST(MpvPlayerSeek, UnsolicitedRestartIsIgnoredAndSamePositionIsNoSeek) {
  TSeekController s;
  EXPECT_FALSE(s.OnRestart(3, 45));
  EXPECT_FALSE(s.Put(10, 10, 45, true));
  EXPECT_FALSE(s.Pending());
}

TEST(MpvPlayerSeek, ADragSeeksFastAndItsReleaseExactly) {
  TSeekController s;
  // A 10 s GOP: the drag's keyframe seek lands far off, and is left there.
  auto cmd = s.Put(31, 21, 60, true, SeekPrecision::Fast);
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->mode, Mode::KeyframeRelative);
  EXPECT_FALSE(s.Put(35, 21, 60, true, SeekPrecision::Fast));
  auto next = Land(s, cmd, 40, 60);  // the newer target, still fast
  ASSERT_TRUE(next);
  EXPECT_EQ(next->mode, Mode::KeyframeRelative);
  EXPECT_FALSE(Land(s, next, 30, 60));
  EXPECT_FALSE(s.Pending());
  // The release while a drag's seek runs replaces it with an exact one.
  cmd = s.Put(45, 30, 60, true, SeekPrecision::Fast);
  EXPECT_FALSE(s.Put(44, 30, 60, true, SeekPrecision::Exact));
  next = Land(s, cmd, 50, 60);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->mode, Mode::ExactAbsolute);
  EXPECT_DOUBLE_EQ(next->target, 44);
  EXPECT_FALSE(Land(s, next, 44, 60));
  // The drag's far landings do not make later skips exact-only.
  cmd = s.Put(20, 44, 60, true);
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->mode, Mode::KeyframeRelative);
}

TEST(MpvPlayerStrip, SeekBarArithmetic) {
  EXPECT_EQ(SeekBarValue(24, 60), 4000);
  EXPECT_EQ(SeekBarValue(70, 60), kSeekBarSteps);  // a position past a duration that grew
  EXPECT_EQ(SeekBarValue(-3, 60), 0);
  EXPECT_EQ(SeekBarValue(0.0 / 0.0, 60), 0);
  EXPECT_EQ(SeekBarValue(5, 0), 0);
  EXPECT_EQ(SeekBarValue(5, 1e300 * 1e300), 0);
  EXPECT_DOUBLE_EQ(FractionAtX(10, 10, 200), 0);
  EXPECT_DOUBLE_EQ(FractionAtX(90, 10, 200), 0.4);
  EXPECT_DOUBLE_EQ(FractionAtX(-50, 10, 200), 0);
  EXPECT_DOUBLE_EQ(FractionAtX(900, 10, 200), 1);
  EXPECT_DOUBLE_EQ(FractionAtX(5, 10, 0), 0);  // the window at its smallest
  EXPECT_DOUBLE_EQ(FractionAtX(5, 10, -8), 0);
}

TEST(MpvPlayerStrip, TimeTextHasHoursOnBothSidesOrNeither) {
  EXPECT_EQ(StripTimeText(83.4, 296.1), u"01:23 / 04:56");
  EXPECT_EQ(StripTimeText(83.4, 3700), u"00:01:23 / 01:01:40");
  EXPECT_EQ(StripTimeText(0.0 / 0.0, 0.5), u"00:00 / 00:00");
  // Unknown: a stream, or a file still being written.
  EXPECT_EQ(StripTimeText(5, 0), u"00:05 / --:--");
  EXPECT_EQ(StripTimeText(4000, 0), u"01:06:40 / --:--:--");
  EXPECT_EQ(StripTimeText(5, 0.0 / 0.0), u"00:05 / --:--");
}

TEST(MpvPlayerStrip, ADragSeeksFastOnEachNewStepAndExactlyAtRelease) {
  TSeekDrag drag;
  EXPECT_FALSE(drag.Move(0.5));  // no press, no drag
  drag.Press(0.4, 60);
  EXPECT_TRUE(drag.Active());
  EXPECT_DOUBLE_EQ(drag.Seconds(), 24);
  EXPECT_FALSE(drag.Move(0.4));  // the same step
  auto fast = drag.Move(0.5);
  ASSERT_TRUE(fast);
  EXPECT_DOUBLE_EQ(fast->FSeconds, 30);
  EXPECT_EQ(fast->FPrecision, SeekPrecision::Fast);
  auto exact = drag.Release(0.5);
  ASSERT_TRUE(exact);
  EXPECT_DOUBLE_EQ(exact->FSeconds, 30);
  EXPECT_EQ(exact->FPrecision, SeekPrecision::Exact);
  EXPECT_FALSE(drag.Active());
  EXPECT_FALSE(drag.Release(0.5));
  // The media went away under the drag: its release seeks nothing.
  drag.Press(0.1, 60);
  drag.Cancel();
  EXPECT_FALSE(drag.Move(0.9));
  EXPECT_FALSE(drag.Release(0.9));
}

TEST(MpvPlayerStrip, TheBarSeeksOnlySeekableMediaOfAKnownDuration) {
  test::TFakePlayer player;
  player.AvailabilityFollowsState = true;
  TStripState state = ReadStripState(player);
  EXPECT_FALSE(state.FHasMedia);
  EXPECT_FALSE(SeekBarEnabled(state));  // the player offers positions, but there is no media
  EXPECT_FALSE(state.FCanStop);
  test::FakeMediaInfo info;
  info.duration = 0;
  player.SetMedia(u"/m/growing.mp4", info);
  player.setURL(u"/m/growing.mp4");
  EXPECT_FALSE(SeekBarEnabled(ReadStripState(player)));
  info.duration = 60;
  player.SetMedia(u"/m/a.mp4", info);
  player.setURL(u"/m/a.mp4");
  player.play();
  player.Position = 24;
  player.Volume = 30;
  player.Mute = true;
  state = ReadStripState(player);
  EXPECT_TRUE(SeekBarEnabled(state));
  EXPECT_DOUBLE_EQ(state.FPosition, 24);
  EXPECT_DOUBLE_EQ(state.FDuration, 60);
  EXPECT_TRUE(state.FCanPause);
  EXPECT_FALSE(state.FCanPlay);
  EXPECT_TRUE(state.FCanStop);
  EXPECT_EQ(state.FVolume, 30);
  EXPECT_TRUE(state.FMute);
  state.FSeekable = false;  // a stream that cannot seek
  EXPECT_FALSE(SeekBarEnabled(state));
}

TEST(MpvPlayerPreview, SizeKeepsTheAspectWithinBoundsAndNothingWithoutAPicture) {
  int w = 0, h = 0;
  ASSERT_TRUE(PreviewSize(1280, 720, w, h));
  EXPECT_EQ(w, kPreviewWidth);
  EXPECT_EQ(h, 108);
  ASSERT_TRUE(PreviewSize(10000, 100, w, h));  // very wide: letterboxed
  EXPECT_EQ(h, kPreviewWidth / 4);
  ASSERT_TRUE(PreviewSize(100, 10000, w, h));  // very tall: pillarboxed
  EXPECT_EQ(h, kPreviewWidth);
  EXPECT_FALSE(PreviewSize(0, 240, w, h));  // sound alone
  EXPECT_EQ(PreviewKey(24.9), 24);
  EXPECT_EQ(PreviewKey(-1), 0);
  EXPECT_EQ(PreviewKey(0.0 / 0.0), 0);
}

TEST(MpvPlayerPreview, TheCacheKeepsTheNewestPicturesOfOneFile) {
  TPreviewCache cache;
  auto picture = std::make_shared<const TPreviewPicture>();
  for (int key = 0; key < kPreviewCacheSize; ++key) cache.Put("/m/a.mp4", key, picture);
  EXPECT_EQ(cache.Find("/m/a.mp4", 0), picture);  // used now: kept
  cache.Put("/m/a.mp4", kPreviewCacheSize, picture);
  EXPECT_EQ(cache.Size(), static_cast<size_t>(kPreviewCacheSize));
  EXPECT_EQ(cache.Find("/m/a.mp4", 1), nullptr);  // the least recently used went
  EXPECT_EQ(cache.Find("/m/a.mp4", 0), picture);
  EXPECT_EQ(cache.Find("/m/b.mp4", 0), nullptr);
  cache.Put("/m/b.mp4", 3, picture);  // another file: the first one's pictures go
  EXPECT_EQ(cache.Size(), 1u);
  EXPECT_EQ(cache.Find("/m/a.mp4", 0), nullptr);
}

TEST(MpvPlayerPreview, OneDecodeAtATimeAndOnlyTheNewestWaits) {
  TPreviewQueue queue;
  auto first = queue.Want({"/m/a.mp4", 1});
  ASSERT_TRUE(first);
  EXPECT_FALSE(queue.Want({"/m/a.mp4", 2}));
  EXPECT_FALSE(queue.Want({"/m/a.mp4", 3}));
  auto next = queue.Finished();
  ASSERT_TRUE(next);
  EXPECT_DOUBLE_EQ(next->FSeconds, 3);
  EXPECT_TRUE(queue.Busy());
  EXPECT_FALSE(queue.Want({"/m/a.mp4", 4}));
  queue.Drop();  // the pointer left before the picture came
  EXPECT_FALSE(queue.Finished());
  EXPECT_FALSE(queue.Busy());
  EXPECT_TRUE(queue.Want({"/m/b.mp4", 5}));
}

std::vector<PlayerEvent> Events(TPlayerStateMachine& m) { return m.TakeEvents(); }

TEST(MpvPlayerStates, InitialIsReadyWithoutMedia) {
  TPlayerStateMachine m;
  EXPECT_EQ(m.status(), kStatusReady);
  EXPECT_EQ(m.CurrentPhase(), TPlayerStateMachine::Phase::NoMedia);
  EXPECT_EQ(m.Play(), TPlayerStateMachine::Action::None);
  EXPECT_TRUE(Events(m).empty());
}

TEST(MpvPlayerStates, OpenThenPlayInTheNaturalOrder) {
  TPlayerStateMachine m;
  m.Open();
  EXPECT_EQ(m.status(), kStatusOpening);  // never "準備完了" while opening
  EXPECT_EQ(m.Play(), TPlayerStateMachine::Action::Unpause);
  m.EngineStarted();
  m.EngineLoaded();
  m.EngineRunning();
  const std::vector<PlayerEvent> want = {
      {Kind::OpenState, wmposMediaChanging}, {Kind::OpenState, wmposMediaLocating}, {Kind::Status, 0},
      {Kind::OpenState, wmposMediaConnecting}, {Kind::OpenState, wmposMediaLoading},
      {Kind::OpenState, wmposMediaOpening},  {Kind::OpenState, wmposMediaOpen},     {Kind::MediaChange, 0},
      {Kind::PlayState, wmppsTransitioning}, {Kind::Status, 0},
      {Kind::PlayState, wmppsPlaying},       {Kind::Status, 0},
  };
  EXPECT_EQ(Events(m), want);
  EXPECT_EQ(m.status(), kStatusPlaying);
}

TEST(MpvPlayerStates, OpenWithoutPlayIsReady) {
  TPlayerStateMachine m;
  m.Open();
  m.EngineStarted();
  m.EngineLoaded();
  EXPECT_EQ(m.playState(), wmppsReady);
  EXPECT_EQ(m.status(), kStatusReady);
  m.EngineRunning();  // a restart while paused changes nothing
  EXPECT_EQ(m.playState(), wmppsReady);
  m.TakeEvents();
  EXPECT_EQ(m.Play(), TPlayerStateMachine::Action::Unpause);
  m.EngineRunning();
  EXPECT_EQ(m.playState(), wmppsPlaying);
}

TEST(MpvPlayerStates, PauseStopEndAndFailure) {
  TPlayerStateMachine m;
  m.Open();
  m.Play();
  m.EngineStarted();
  m.EngineLoaded();
  m.EngineRunning();
  EXPECT_EQ(m.Pause(), TPlayerStateMachine::Action::Pause);
  EXPECT_EQ(m.status(), kStatusPaused);
  EXPECT_EQ(m.Pause(), TPlayerStateMachine::Action::None);
  EXPECT_EQ(m.Stop(), TPlayerStateMachine::Action::StopAndRewind);
  EXPECT_EQ(m.status(), kStatusStopped);
  m.Play();
  m.EngineRunning();
  m.TakeEvents();
  m.EngineReport({.eofReached = true});
  const std::vector<PlayerEvent> ended = {
      {Kind::PlayState, wmppsMediaEnded}, {Kind::PlayState, wmppsStopped}, {Kind::Status, 0}};
  EXPECT_EQ(Events(m), ended);
  EXPECT_EQ(m.status(), kStatusStopped);

  m.Open();  // from a stopped media: no further play state
  EXPECT_EQ(Events(m).front(), (PlayerEvent{Kind::OpenState, wmposMediaChanging}));
  m.Play();
  m.EngineFailed();
  EXPECT_EQ(m.status(), kStatusStopped);
  EXPECT_EQ(m.playState(), wmppsStopped);
  EXPECT_EQ(m.Play(), TPlayerStateMachine::Action::None);
  m.Close();
  EXPECT_EQ(m.status(), kStatusReady);
  EXPECT_EQ(m.openState(), wmposPlaylistOpenNoMedia);
}

TEST(MpvPlayerStates, TheEndIsTheEnginesEndOrTheDurationWhileNoSeekRuns) {
  using R = EndReading;
  EXPECT_TRUE(TPlayerStateMachine::AtEnd(R{.eofReached = true}));
  EXPECT_TRUE(TPlayerStateMachine::AtEnd(R{.position = 20.02, .duration = 20}));  // eof-reached not notified
  EXPECT_TRUE(TPlayerStateMachine::AtEnd(R{.position = 20, .duration = 20}));
  EXPECT_FALSE(TPlayerStateMachine::AtEnd(R{.position = 19.9, .duration = 20}));
  EXPECT_FALSE(TPlayerStateMachine::AtEnd(R{.position = 5, .duration = 0}));  // duration unknown
  EXPECT_FALSE(TPlayerStateMachine::AtEnd(R{.eofReached = true, .seeking = true}));
  EXPECT_FALSE(TPlayerStateMachine::AtEnd(R{.seeking = true, .position = 20, .duration = 20}));

  // Paused, or playing, or never played: each ends once, with the natural events.
  const std::vector<PlayerEvent> ended = {
      {Kind::PlayState, wmppsMediaEnded}, {Kind::PlayState, wmppsStopped}, {Kind::Status, 0}};
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    TPlayerStateMachine m;
    m.Open();
    if (way > 0) m.Play();
    m.EngineLoaded();
    m.EngineRunning();
    if (way == 2) m.Pause();
    m.TakeEvents();
    EXPECT_FALSE(m.EngineReport(R{.seeking = true, .position = 20, .duration = 20}));
    EXPECT_TRUE(m.EngineReport(R{.position = 20, .duration = 20}));
    EXPECT_TRUE(m.EngineReport(R{.eofReached = true}));
    EXPECT_EQ(Events(m), ended);
    EXPECT_EQ(m.status(), kStatusStopped);
    EXPECT_EQ(m.Play(), TPlayerStateMachine::Action::Unpause);  // plays again
  }
  // Not loaded: nothing has ended.
  TPlayerStateMachine m;
  m.Open();
  EXPECT_FALSE(m.EngineReport(R{.eofReached = true}));
  EXPECT_EQ(m.status(), kStatusOpening);
}

TEST(MpvPlayerStates, OpeningAnotherFileStopsTheOneThatPlays) {
  TPlayerStateMachine m;
  m.Open();
  m.Play();
  m.EngineLoaded();
  m.EngineRunning();
  m.TakeEvents();
  m.Open();
  const auto events = Events(m);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0], (PlayerEvent{Kind::PlayState, wmppsStopped}));
  EXPECT_EQ(events[1], (PlayerEvent{Kind::OpenState, wmposMediaChanging}));
  EXPECT_FALSE(m.IsPlaying());
}

TEST(MpvPlayerStates, StopWhileOpeningUnloadsAndPlayReloads) {
  TPlayerStateMachine m;
  m.Open();
  EXPECT_EQ(m.Stop(), TPlayerStateMachine::Action::Unload);
  EXPECT_EQ(m.status(), kStatusStopped);
  m.EngineLoaded();  // late report of the dropped load
  EXPECT_EQ(m.CurrentPhase(), TPlayerStateMachine::Phase::Unloaded);
  EXPECT_EQ(m.Play(), TPlayerStateMachine::Action::Reload);
  EXPECT_EQ(m.CurrentPhase(), TPlayerStateMachine::Phase::Opening);
  EXPECT_TRUE(m.PlayRequested());
}

TEST(MpvPlayerStates, BufferingWhilePlaying) {
  TPlayerStateMachine m;
  m.Open();
  m.Play();
  m.EngineLoaded();
  m.EngineRunning();
  m.EngineBuffering(true);
  EXPECT_EQ(m.playState(), wmppsBuffering);
  EXPECT_EQ(m.status(), kStatusBuffering);
  EXPECT_TRUE(m.IsPlaying());
  m.EngineBuffering(false);
  EXPECT_EQ(m.playState(), wmppsPlaying);
}

// Files by name with a stamp each; a missing name is a file that is gone.
struct FakeFiles {
  std::map<std::string, FileStamp> stamps;
  StampReader Reader() const {
    return [this](const std::string& path) -> std::optional<FileStamp> {
      auto it = stamps.find(path);
      return it == stamps.end() ? std::nullopt : std::optional<FileStamp>(it->second);
    };
  }
};

TEST(MpvPlayerStandby, TheNextAndThePreviousNeverTheCurrentNorTwice) {
  EXPECT_EQ(WantedStandbys("a", "c", "b", true), (std::vector<std::string>{"c", "a"}));
  EXPECT_EQ(WantedStandbys("a", "a", "b", true), std::vector<std::string>{"a"});
  EXPECT_EQ(WantedStandbys("", "b", "b", true), std::vector<std::string>{});  // a list of one, or the same file twice
  EXPECT_EQ(WantedStandbys("a", "c", "b", false), std::vector<std::string>{});
  EXPECT_TRUE(OpenAheadAffordable(1920, 1080, 2));
  EXPECT_FALSE(OpenAheadAffordable(3840, 2160, 4));
  EXPECT_TRUE(OpenAheadAffordable(3840, 2160, 8));
}

TEST(MpvPlayerStandby, OpeningAheadWaitsOnlyAfterARunOfQuickMoves) {
  EXPECT_EQ(OpenAheadWaitMs(INT64_MIN, INT64_MIN, 5), 0);  // no move yet: the list grew
  EXPECT_EQ(OpenAheadWaitMs(1000, INT64_MIN, 1000), 0);    // the first move
  EXPECT_EQ(OpenAheadWaitMs(1000, 1000 - kRepeatGapMs, 1010), 0);  // a move on its own
  EXPECT_EQ(OpenAheadWaitMs(1000, 970, 1010), kRepeatGapMs - 10);  // a held key's repeat
  EXPECT_EQ(OpenAheadWaitMs(1000, 970, 1200), 0);                  // the key let go since
}

TEST(MpvPlayerStandby, AStandbyStandsInOnlyForItsOwnUnchangedFile) {
  FakeFiles files{{{"a", {10, 1, 1, 1}}, {"b", {20, 2, 1, 2}}}};
  std::vector<StandbySlot> slots{{"a", {10, 1, 1, 1}}, {"b", {20, 2, 1, 2}, true}};
  EXPECT_EQ(SlotFor(slots, "a", files.Reader()), 0);
  EXPECT_EQ(SlotFor(slots, "b", files.Reader()), -1);  // the engine failed on it
  EXPECT_EQ(SlotFor(slots, "", files.Reader()), -1);
  files.stamps["a"].inode = 9;  // replaced by another file of the same size and time
  EXPECT_EQ(SlotFor(slots, "a", files.Reader()), -1);
  files.stamps["a"] = {10, 5, 1, 1};  // written since it was opened ahead
  EXPECT_EQ(SlotFor(slots, "a", files.Reader()), -1);
  files.stamps.erase("a");  // gone
  EXPECT_EQ(SlotFor(slots, "a", files.Reader()), -1);
}

// A copy renamed over the file, its time set back: only the inode tells.
TEST(MpvPlayerStandby, AFileReplacedWithTheSameSizeAndTimeHasAnotherStamp) {
  test::TTempDir dir;
  const std::string path = dir.WriteFile("a.mp4", "same bytes"), copy = dir.WriteFile("copy.mp4", "same bytes");
  const std::optional<FileStamp> before = StampOf(path);
  ASSERT_TRUE(before);
  const timespec times[2] = {{0, UTIME_OMIT}, {before->mtimeNs / 1000000000, before->mtimeNs % 1000000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, copy.c_str(), times, 0), 0);
  ASSERT_EQ(std::rename(copy.c_str(), path.c_str()), 0);
  const std::optional<FileStamp> after = StampOf(path);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->size, before->size);
  EXPECT_EQ(after->mtimeNs, before->mtimeNs);
  EXPECT_NE(*after, *before);
}

TEST(MpvPlayerStandby, HeldFilesStayOthersGoToFreeSlotsThenNewOnesWithinTwo) {
  FakeFiles files{{{"a", {1}}, {"b", {2}}, {"c", {3}}, {"d", {4}}}};
  // Down from b to c: a is let go, d takes its slot, b stays.
  StandbyPlan plan = PlanStandbys({{"a", {1}}, {"b", {2}}}, {"d", "b"}, files.Reader());
  EXPECT_EQ(plan.load, (std::vector<std::string>{"d", ""}));
  EXPECT_EQ(plan.release, (std::vector<bool>{false, false}));
  EXPECT_TRUE(plan.create.empty());
  // Nothing held yet: two new cores at most, a gone file never opened.
  plan = PlanStandbys({}, {"c", "x", "a"}, files.Reader());
  EXPECT_EQ(plan.create, (std::vector<std::string>{"c", "a"}));
  // One neighbour left (a list of two): the other slot lets its file go; a
  // changed file is opened again in its slot.
  files.stamps["c"].size = 30;
  plan = PlanStandbys({{"b", {2}}, {"c", {3}}}, {"c"}, files.Reader());
  EXPECT_EQ(plan.load, (std::vector<std::string>{"c", ""}));
  EXPECT_EQ(plan.release, (std::vector<bool>{false, true}));
  // A broken file is not opened again and again while it stays as it is.
  plan = PlanStandbys({{"c", {30}, true}}, {"c"}, files.Reader());
  EXPECT_EQ(plan.load, std::vector<std::string>{""});
  EXPECT_EQ(plan.release, std::vector<bool>{false});
}

TEST(MpvPlayerMediaInfo, NameIsTitleElseFileName) {
  EXPECT_EQ(MediaDisplayName("/m/dir.x/intro.mp4", {}), "intro");
  EXPECT_EQ(MediaDisplayName("/m/intro.mp4", {{"TITLE", "The Intro"}}), "The Intro");
  EXPECT_EQ(MediaDisplayName("/m/intro.mp4", {{"title", "  "}}), "intro");
  EXPECT_EQ(MediaDisplayName("/m/archive.tar.gz", {}), "archive.tar");
  EXPECT_EQ(MediaDisplayName("/m/.hidden", {}), ".hidden");
  EXPECT_EQ(MediaDisplayName("/m/noext", {}), "noext");
  EXPECT_EQ(MediaDisplayName("/m/line\nbreak\xff.mkv", {}), "line\nbreak\xff");
}

TEST(MpvPlayerMediaInfo, FactsFirstThenEveryTagUnderStableNames) {
  MediaFacts f;
  f.fileSize = 1234;
  f.fileType = "mov,mp4";
  f.duration = 2.5;
  f.bitrate = 3949;
  f.width = 320;
  f.height = 240;
  f.frameRate = 25;
  f.videoCodec = "h264";
  f.audioCodec = "aac";
  f.tags = {{"title", "T"}, {"artist", "A"}, {"DURATION", "x"}, {"title", "again"}};
  TMediaAttributes a(f);
  const std::vector<std::string> facts = {"FileSize", "FileType", "Duration", "Bitrate", "Width", "Height", "FrameRate",
                                          "VideoCodec", "VideoBitrate", "AudioCodec", "AudioChannels",
                                          "AudioSampleRate", "AudioBitrate"};
  ASSERT_EQ(a.count(), static_cast<int32_t>(facts.size() + 4));
  for (size_t i = 0; i < facts.size(); ++i) EXPECT_EQ(a.Name(static_cast<int32_t>(i)), facts[i]);
  EXPECT_EQ(a.Value("FileSize"), "1234");
  EXPECT_EQ(a.Value("duration"), "2.500");
  EXPECT_EQ(a.Value("FrameRate"), "25.000");
  EXPECT_EQ(a.Value("Width"), "320");
  EXPECT_EQ(a.Value("title"), "T");
  EXPECT_EQ(a.Value("Artist"), "A");
  EXPECT_EQ(a.Value("Tag.DURATION"), "x");
  EXPECT_EQ(a.Value("Tag.title"), "again");
  EXPECT_EQ(a.Value("AudioChannels"), "");
  EXPECT_EQ(a.Value("nothing"), "");
  EXPECT_EQ(a.Name(-1), "");
  EXPECT_EQ(a.Name(a.count()), "");
}

TEST(MpvPlayerMediaInfo, HundredsOfTagsAndLongValues) {
  MediaFacts f;
  for (int i = 0; i < 500; ++i) f.tags.emplace_back("tag" + std::to_string(i), std::string(i == 7 ? 100000 : 3, 'v'));
  TMediaAttributes a(f);
  EXPECT_EQ(a.count(), 13 + 500);
  EXPECT_EQ(a.Value("tag7").size(), 100000u);
  EXPECT_EQ(a.Name(13 + 499), "tag499");
}

TEST(MpvPlayerBalance, ClampedAndAppliedAsGains) {
  EXPECT_EQ(ClampBalance(1000), 100);
  EXPECT_EQ(ClampBalance(-1000), -100);
  EXPECT_EQ(ClampVolume(150), 100);
  EXPECT_EQ(ClampVolume(-5), 0);
  double l = 0, r = 0;
  BalanceGains(-100, l, r);
  EXPECT_DOUBLE_EQ(l, 1);
  EXPECT_DOUBLE_EQ(r, 0);
  BalanceGains(50, l, r);
  EXPECT_DOUBLE_EQ(l, 0.5);
  EXPECT_DOUBLE_EQ(r, 1);
  EXPECT_EQ(BalanceFilter(0), "");
  EXPECT_EQ(BalanceFilter(50), "@korvane-balance:lavfi=[aformat=channel_layouts=stereo,pan=stereo|c0=0.50*c0|c1=1.00*c1]");
  EXPECT_EQ(BalanceFilter(-1000), "@korvane-balance:lavfi=[aformat=channel_layouts=stereo,pan=stereo|c0=1.00*c0|c1=0.00*c1]");
}

}  // namespace
}  // namespace korvane
