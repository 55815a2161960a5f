// The libmpv player's standby side: the neighbours the media list hints at are
// opened ahead in standby cores, and opening one of them takes over its core.
// The swap fires what an open fires, in the same order: the open states and
// MediaChange from what the core reported in standby, the play states as
// playback then starts; URL, media, volume, mute and balance stay the player's.
#include <mpv/client.h>

#include <QTimer>
#include <chrono>
#include <thread>
#include <utility>

#include "player/AudioBalance.h"
#include "player/MpvPlayer.h"
#include "player/MpvVideoWidget.h"

namespace korvane {

namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// mpv's own read-ahead limits, given back to a standby once it is current.
constexpr char kCurrentCacheBytes[] = "150MiB";
constexpr char kCurrentBackBytes[] = "50MiB";

}  // namespace

void TMpvPlayer::WatchEngine() {
  mpv_set_wakeup_callback(
      FEngine->Handle(),
      [](void* self) {
        auto* player = static_cast<TMpvPlayer*>(self);
        if (player->FWakeupPending.exchange(true)) return;
        QMetaObject::invokeMethod(player, [player] { player->ProcessMpvEvents(); }, Qt::QueuedConnection);
      },
      this);
}

void TMpvPlayer::HintNeighbours(const std::string& prev, const std::string& next) {
  // The same again (the list grows below a neighbour, batch after batch) must
  // not put off opening ahead until the search ends.
  const std::string prevPath = AbsoluteMediaPath(prev), nextPath = AbsoluteMediaPath(next);
  const std::string current = FMedia ? FMedia->Path() : "";
  if (FOpenAheadTimer && prevPath == FHintPrev && nextPath == FHintNext && current == FHintCurrent) return;
  if (current != FHintCurrent) {
    FMoveBeforeMs = FLastMoveMs;
    FLastMoveMs = NowMs();
  }
  FHintPrev = prevPath;
  FHintNext = nextPath;
  FHintCurrent = current;
  if (!FOpenAheadTimer) {
    FOpenAheadTimer = std::make_unique<QTimer>();
    FOpenAheadTimer->setSingleShot(true);
    connect(FOpenAheadTimer.get(), &QTimer::timeout, this, [this] { OpenAhead(); });
  }
  FOpenAheadTimer->stop();
  FOpenAheadDue = true;
  ScheduleOpenAhead();
}

// The current file's own open goes first: its first picture, then the neighbours.
bool TMpvPlayer::FirstPictureUp() const {
  return FState.CurrentPhase() != TPlayerStateMachine::Phase::Opening && FState.playState() != wmppsTransitioning;
}

// Called by the hint and by the event pump, until the first picture is up.
void TMpvPlayer::ScheduleOpenAhead() {
  if (!FOpenAheadDue || FDrawingStopped || FOpenAheadTimer->isActive() || !FirstPictureUp()) return;
  // From the event loop even without a wait: the move's own work comes first.
  FOpenAheadTimer->start(static_cast<int>(OpenAheadWaitMs(FLastMoveMs, FMoveBeforeMs, NowMs())));
}

void TMpvPlayer::OpenAhead() {
  if (FDrawingStopped) return;
  if (!FirstPictureUp()) return;  // the event pump schedules it again
  FOpenAheadDue = false;
  // With nothing open, nothing is held open either: the files may be removed, their drive unmounted.
  const std::string current = FMedia ? FMedia->Path() : "";
  const bool affordable = FMedia && OpenAheadAffordable(FMedia->imageSourceWidth(), FMedia->imageSourceHeight(),
                                                        std::thread::hardware_concurrency());
  const std::vector<std::string> wanted = WantedStandbys(FHintPrev, FHintNext, current, affordable);
  if (!FStandbys && wanted.empty()) return;
  if (!FStandbys) FStandbys = std::make_unique<TMpvStandbys>(FOptions, FWidget.data());
  FStandbys->Hold(wanted, FStretchToFit ? "no" : "downscale-big");
}

void TMpvPlayer::ApplySettingsToEngine() {
  FEngine->SetDouble("volume", FVolume);
  FEngine->SetFlag("mute", FMute);
  FEngine->SetDouble("speed", FRate);
  FEngine->SetText("af", AudioFilterChain(FBalance, FRate));
  FEngine->SetText("video-unscaled", FStretchToFit ? "no" : "downscale-big");
  FEngine->SetText("demuxer-max-bytes", kCurrentCacheBytes);
  FEngine->SetText("demuxer-max-back-bytes", kCurrentBackBytes);
}

// Called by Load in place of opening the file: false when no standby holds it
// unchanged. The core that was current goes back to the standbys.
bool TMpvPlayer::AdoptStandby() {
  if (!FStandbys || !FMedia) return false;
  std::optional<TMpvStandbys::Taken> taken = FStandbys->Take(FMedia->Path());
  if (!taken) return false;
  mpv_set_wakeup_callback(FEngine->Handle(), nullptr, nullptr);
  TMpvCore previous{std::move(FEngine), FRenderWindow};
  FEngine = std::move(taken->core.engine);
  FRenderWindow = taken->core.window;
  WatchEngine();
  if (FWidget && FRenderWindow) FWidget->ShowSurface(FRenderWindow);
  FStandbys->Return(std::move(previous), std::exchange(FLeft, std::nullopt));
  FMediaStamp = taken->stamp;
  ApplySettingsToEngine();
  FEnginePaused = true;
  FEngine->SetFlag("pause", !FState.PlayRequested());

  // What the core reported in standby, taken as if it came now; the rest of its
  // reports come through the event pump as for a file opened here.
  FEntry = taken->progress.entry;
  FStartedEntry = taken->progress.started ? FEntry : 0;
  if (!taken->progress.started) return true;
  FState.EngineStarted();
  if (taken->progress.loaded) {
    OnFileLoaded();
    OnVideoReconfig();
  }
  return true;
}

}  // namespace korvane
