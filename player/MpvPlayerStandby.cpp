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
      engine_->handle(),
      [](void* self) {
        auto* player = static_cast<TMpvPlayer*>(self);
        if (player->wakeupPending_.exchange(true)) return;
        QMetaObject::invokeMethod(player, [player] { player->ProcessMpvEvents(); }, Qt::QueuedConnection);
      },
      this);
}

void TMpvPlayer::HintNeighbours(const std::string& prev, const std::string& next) {
  // The same again (the list grows below a neighbour, batch after batch) must
  // not put off opening ahead until the search ends.
  const std::string prevPath = AbsoluteMediaPath(prev), nextPath = AbsoluteMediaPath(next);
  const std::string current = media_ ? media_->path() : "";
  if (openAheadTimer_ && prevPath == hintPrev_ && nextPath == hintNext_ && current == hintCurrent_) return;
  hintPrev_ = prevPath;
  hintNext_ = nextPath;
  hintCurrent_ = current;
  if (!openAheadTimer_) {
    openAheadTimer_ = std::make_unique<QTimer>();
    openAheadTimer_->setSingleShot(true);
    openAheadTimer_->setInterval(kOpenAheadDelayMs);
    connect(openAheadTimer_.get(), &QTimer::timeout, this, [this] { OpenAhead(); });
  }
  openAheadTimer_->start();
}

void TMpvPlayer::OpenAhead() {
  if (drawingStopped_) return;
  if (state_.phase() == PlayerStateMachine::Phase::Opening || state_.playState() == wmppsTransitioning) {
    openAheadTimer_->start();  // the current file's first picture first
    return;
  }
  // With nothing open, nothing is held open either: the files may be removed, their drive unmounted.
  const std::string current = media_ ? media_->path() : "";
  const bool affordable = media_ && OpenAheadAffordable(media_->imageSourceWidth(), media_->imageSourceHeight(),
                                                        std::thread::hardware_concurrency());
  const std::vector<std::string> wanted = WantedStandbys(hintPrev_, hintNext_, current, affordable);
  if (!standbys_ && wanted.empty()) return;
  if (!standbys_) standbys_ = std::make_unique<TMpvStandbys>(options_, widget_.data());
  standbys_->Hold(wanted, stretchToFit_ ? "no" : "downscale-big");
}

void TMpvPlayer::ApplySettingsToEngine() {
  engine_->SetDouble("volume", volume_);
  engine_->SetFlag("mute", mute_);
  engine_->SetDouble("speed", rate_);
  engine_->SetText("af", AudioFilterChain(balance_, rate_));
  engine_->SetText("video-unscaled", stretchToFit_ ? "no" : "downscale-big");
  engine_->SetText("demuxer-max-bytes", kCurrentCacheBytes);
  engine_->SetText("demuxer-max-back-bytes", kCurrentBackBytes);
}

// Called by Load in place of opening the file: false when no standby holds it
// unchanged. The core that was current goes back to the standbys.
bool TMpvPlayer::AdoptStandby() {
  if (!standbys_ || !media_) return false;
  std::optional<TMpvStandbys::Taken> taken = standbys_->Take(media_->path());
  if (!taken) return false;
  mpv_set_wakeup_callback(engine_->handle(), nullptr, nullptr);
  TMpvCore previous{std::move(engine_), renderWindow_};
  engine_ = std::move(taken->core.engine);
  renderWindow_ = taken->core.window;
  WatchEngine();
  if (widget_ && renderWindow_) widget_->ShowSurface(renderWindow_);
  standbys_->Return(std::move(previous));
  ApplySettingsToEngine();
  enginePaused_ = true;
  engine_->SetFlag("pause", !state_.playRequested());

  // What the core reported in standby, taken as if it came now; the rest of its
  // reports come through the event pump as for a file opened here.
  entry_ = taken->progress.entry;
  startedEntry_ = taken->progress.started ? entry_ : 0;
  if (!taken->progress.started) return true;
  state_.EngineStarted();
  if (taken->progress.loaded) {
    OnFileLoaded();
    OnVideoReconfig();
  }
  return true;
}

}  // namespace korvane
