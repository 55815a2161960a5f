// The libmpv player's standby side: the neighbours the media list hints at are
// opened ahead in standby cores, and opening one of them takes over its core.
// The swap fires what an open fires, in the same order: the open states and
// MediaChange from what the core reported in standby, the play states as
// playback then starts; URL, media, volume, mute and balance stay the player's.
#include <mpv/client.h>

#include <QTimer>
#include <thread>

#include "player/AudioBalance.h"
#include "player/MpvPlayer.h"
#include "player/MpvVideoWidget.h"

namespace korvane {

namespace {

// Longer than the gap between auto-repeated keys, so a held-down key opens
// nothing ahead; short against a glance at a file before the next key.
constexpr int kOpenAheadDelayMs = 150;
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
  FHintPrev = prevPath;
  FHintNext = nextPath;
  FHintCurrent = current;
  if (!FOpenAheadTimer) {
    FOpenAheadTimer = std::make_unique<QTimer>();
    FOpenAheadTimer->setSingleShot(true);
    FOpenAheadTimer->setInterval(kOpenAheadDelayMs);
    connect(FOpenAheadTimer.get(), &QTimer::timeout, this, [this] { OpenAhead(); });
  }
  FOpenAheadTimer->start();
}

void TMpvPlayer::OpenAhead() {
  if (FDrawingStopped) return;
  if (FState.CurrentPhase() == TPlayerStateMachine::Phase::Opening || FState.playState() == wmppsTransitioning) {
    FOpenAheadTimer->start();  // the current file's first picture first
    return;
  }
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
  FStandbys->Return(std::move(previous));
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
