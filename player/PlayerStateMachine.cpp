#include "player/PlayerStateMachine.h"

#include <utility>

namespace korvane {

using Kind = PlayerEvent::Kind;

PlayerStateMachine::PlayerStateMachine() : status_(kStatusReady) {}

void PlayerStateMachine::SetOpen(int32_t state) {
  openState_ = state;
  events_.push_back({Kind::OpenState, state});
}

void PlayerStateMachine::SetPlay(int32_t state) {
  playState_ = state;
  events_.push_back({Kind::PlayState, state});
}

void PlayerStateMachine::SetStatus(const char16_t* text) {
  if (status_ == text) return;
  status_ = text;
  events_.push_back({Kind::Status, 0});
}

void PlayerStateMachine::Open() {
  // The status leaves "準備完了" at once: the tick must not take the player for idle
  // while the file is being opened.
  phase_ = Phase::Opening;
  playRequested_ = false;
  buffering_ = false;
  // The media being replaced no longer plays.
  if (playState_ != wmppsUndefined && playState_ != wmppsStopped) SetPlay(wmppsStopped);
  SetOpen(wmposMediaChanging);
  SetOpen(wmposMediaLocating);
  SetStatus(kStatusOpening);
}

void PlayerStateMachine::Close() {
  const bool hadMedia = phase_ != Phase::NoMedia;
  phase_ = Phase::NoMedia;
  playRequested_ = false;
  buffering_ = false;
  if (hadMedia) {
    if (playState_ != wmppsStopped && playState_ != wmppsUndefined) SetPlay(wmppsStopped);
    SetOpen(wmposPlaylistOpenNoMedia);
  }
  SetStatus(kStatusReady);
}

bool PlayerStateMachine::ControlAvailable(std::u16string_view name, bool seekable) const {
  if (name == u"Play") {
    return (phase_ == Phase::Loaded && !isPlaying()) || (phase_ == Phase::Opening && !playRequested_) ||
           phase_ == Phase::Unloaded;
  }
  if (name == u"Pause") {
    return (phase_ == Phase::Loaded && isPlaying()) || (phase_ == Phase::Opening && playRequested_);
  }
  if (name == u"Stop") return (phase_ == Phase::Loaded && playState_ != wmppsStopped) || phase_ == Phase::Opening;
  if (name == u"CurrentPosition") return phase_ == Phase::Loaded && seekable;
  return false;
}

PlayerStateMachine::Action PlayerStateMachine::Play() {
  switch (phase_) {
    case Phase::NoMedia:
    case Phase::Failed:
      return Action::None;
    case Phase::Opening:
      if (playRequested_) return Action::None;
      playRequested_ = true;
      return Action::Unpause;  // the events follow once the file is loaded
    case Phase::Unloaded:
      Open();
      playRequested_ = true;
      return Action::Reload;
    case Phase::Loaded:
      if (isPlaying()) return Action::None;
      playRequested_ = true;
      SetPlay(wmppsTransitioning);
      SetStatus(kStatusStarting);
      return Action::Unpause;
  }
  return Action::None;
}

PlayerStateMachine::Action PlayerStateMachine::Pause() {
  switch (phase_) {
    case Phase::Opening:
      if (!playRequested_) return Action::None;
      playRequested_ = false;
      return Action::Pause;
    case Phase::Loaded:
      if (!isPlaying()) return Action::None;
      playRequested_ = false;
      SetPlay(wmppsPaused);
      SetStatus(kStatusPaused);
      return Action::Pause;
    default:
      return Action::None;
  }
}

PlayerStateMachine::Action PlayerStateMachine::Stop() {
  switch (phase_) {
    case Phase::Opening:
      // Stopped before the file was open: the engine lets it go; play opens it again.
      phase_ = Phase::Unloaded;
      playRequested_ = false;
      SetPlay(wmppsStopped);
      SetStatus(kStatusStopped);
      return Action::Unload;
    case Phase::Loaded:
      playRequested_ = false;
      if (playState_ != wmppsStopped) SetPlay(wmppsStopped);
      SetStatus(kStatusStopped);
      return Action::StopAndRewind;
    default:
      return Action::None;
  }
}

void PlayerStateMachine::EngineStarted() {
  if (phase_ != Phase::Opening) return;
  SetOpen(wmposMediaConnecting);
  SetOpen(wmposMediaLoading);
}

void PlayerStateMachine::EngineLoaded() {
  if (phase_ != Phase::Opening) return;
  phase_ = Phase::Loaded;
  SetOpen(wmposMediaOpening);
  SetOpen(wmposMediaOpen);
  events_.push_back({Kind::MediaChange, 0});
  if (playRequested_) {
    SetPlay(wmppsTransitioning);
    SetStatus(kStatusStarting);
  } else {
    SetPlay(wmppsReady);
    SetStatus(kStatusReady);
  }
}

void PlayerStateMachine::EngineRunning() {
  if (phase_ != Phase::Loaded || !playRequested_ || playState_ != wmppsTransitioning) return;
  SetPlay(wmppsPlaying);
  SetStatus(buffering_ ? kStatusBuffering : kStatusPlaying);
}

bool PlayerStateMachine::AtEnd(const EndReading& reading) {
  if (reading.seeking) return false;
  return reading.eofReached || (reading.duration > 0 && reading.position >= reading.duration);
}

bool PlayerStateMachine::EngineReport(const EndReading& reading) {
  if (phase_ != Phase::Loaded || !AtEnd(reading)) return false;
  End();
  return true;
}

void PlayerStateMachine::End() {
  playRequested_ = false;
  if (playState_ == wmppsStopped) return;
  SetPlay(wmppsMediaEnded);
  SetPlay(wmppsStopped);
  SetStatus(kStatusStopped);
}

void PlayerStateMachine::EngineFailed() {
  if (phase_ != Phase::Opening && phase_ != Phase::Loaded) return;
  const bool wasLoaded = phase_ == Phase::Loaded;
  phase_ = Phase::Failed;
  playRequested_ = false;
  if (wasLoaded && playState_ != wmppsStopped) SetPlay(wmppsMediaEnded);
  if (playState_ != wmppsStopped) SetPlay(wmppsStopped);
  SetOpen(wmposPlaylistOpenNoMedia);
  SetStatus(kStatusStopped);
}

void PlayerStateMachine::EngineReleased() {
  // The end-file event: the engine has read the whole file.
  if (EngineReport({.eofReached = true})) phase_ = Phase::Unloaded;
}

void PlayerStateMachine::EngineBuffering(bool buffering) {
  buffering_ = buffering;
  if (phase_ != Phase::Loaded || (playState_ != wmppsPlaying && playState_ != wmppsBuffering)) return;
  if (buffering && playState_ != wmppsBuffering) {
    SetPlay(wmppsBuffering);
    SetStatus(kStatusBuffering);
  } else if (!buffering && playState_ == wmppsBuffering) {
    SetPlay(wmppsPlaying);
    SetStatus(kStatusPlaying);
  }
}

std::vector<PlayerEvent> PlayerStateMachine::TakeEvents() { return std::exchange(events_, {}); }

}  // namespace korvane
