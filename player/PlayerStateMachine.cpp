#include "player/PlayerStateMachine.h"

#include <utility>

namespace korvane {

using Kind = PlayerEvent::Kind;

TPlayerStateMachine::TPlayerStateMachine() : FStatus(kStatusReady) {}

void TPlayerStateMachine::SetOpen(int32_t state) {
  FOpenState = state;
  FEvents.push_back({Kind::OpenState, state});
}

void TPlayerStateMachine::SetPlay(int32_t state) {
  FPlayState = state;
  FEvents.push_back({Kind::PlayState, state});
}

void TPlayerStateMachine::SetStatus(const char16_t* text) {
  if (FStatus == text) return;
  FStatus = text;
  FEvents.push_back({Kind::Status, 0});
}

void TPlayerStateMachine::Open() {
  // The status leaves "準備完了" at once: the tick must not take the player for idle
  // while the file is being opened.
  FPhase = Phase::Opening;
  FPlayRequested = false;
  FBuffering = false;
  // The media being replaced no longer plays.
  if (FPlayState != wmppsUndefined && FPlayState != wmppsStopped) SetPlay(wmppsStopped);
  SetOpen(wmposMediaChanging);
  SetOpen(wmposMediaLocating);
  SetStatus(kStatusOpening);
}

void TPlayerStateMachine::Close() {
  const bool hadMedia = FPhase != Phase::NoMedia;
  FPhase = Phase::NoMedia;
  FPlayRequested = false;
  FBuffering = false;
  if (hadMedia) {
    if (FPlayState != wmppsStopped && FPlayState != wmppsUndefined) SetPlay(wmppsStopped);
    SetOpen(wmposPlaylistOpenNoMedia);
  }
  SetStatus(kStatusReady);
}

bool TPlayerStateMachine::ControlAvailable(std::u16string_view name, bool seekable) const {
  if (name == u"Play") {
    return (FPhase == Phase::Loaded && !IsPlaying()) || (FPhase == Phase::Opening && !FPlayRequested) ||
           FPhase == Phase::Unloaded;
  }
  if (name == u"Pause") {
    return (FPhase == Phase::Loaded && IsPlaying()) || (FPhase == Phase::Opening && FPlayRequested);
  }
  if (name == u"Stop") return (FPhase == Phase::Loaded && FPlayState != wmppsStopped) || FPhase == Phase::Opening;
  if (name == u"CurrentPosition") return FPhase == Phase::Loaded && seekable;
  return false;
}

TPlayerStateMachine::Action TPlayerStateMachine::Play() {
  switch (FPhase) {
    case Phase::NoMedia:
    case Phase::Failed:
      return Action::None;
    case Phase::Opening:
      if (FPlayRequested) return Action::None;
      FPlayRequested = true;
      return Action::Unpause;  // the events follow once the file is loaded
    case Phase::Unloaded:
      Open();
      FPlayRequested = true;
      return Action::Reload;
    case Phase::Loaded:
      if (IsPlaying()) return Action::None;
      FPlayRequested = true;
      SetPlay(wmppsTransitioning);
      SetStatus(kStatusStarting);
      return Action::Unpause;
  }
  return Action::None;
}

TPlayerStateMachine::Action TPlayerStateMachine::Pause() {
  switch (FPhase) {
    case Phase::Opening:
      if (!FPlayRequested) return Action::None;
      FPlayRequested = false;
      return Action::Pause;
    case Phase::Loaded:
      if (!IsPlaying()) return Action::None;
      FPlayRequested = false;
      SetPlay(wmppsPaused);
      SetStatus(kStatusPaused);
      return Action::Pause;
    default:
      return Action::None;
  }
}

TPlayerStateMachine::Action TPlayerStateMachine::Stop() {
  switch (FPhase) {
    case Phase::Opening:
      // Stopped before the file was open: the engine lets it go; play opens it again.
      FPhase = Phase::Unloaded;
      FPlayRequested = false;
      SetPlay(wmppsStopped);
      SetStatus(kStatusStopped);
      return Action::Unload;
    case Phase::Loaded:
      FPlayRequested = false;
      if (FPlayState != wmppsStopped) SetPlay(wmppsStopped);
      SetStatus(kStatusStopped);
      return Action::StopAndRewind;
    default:
      return Action::None;
  }
}

void TPlayerStateMachine::EngineStarted() {
  if (FPhase != Phase::Opening) return;
  SetOpen(wmposMediaConnecting);
  SetOpen(wmposMediaLoading);
}

void TPlayerStateMachine::EngineLoaded() {
  if (FPhase != Phase::Opening) return;
  FPhase = Phase::Loaded;
  SetOpen(wmposMediaOpening);
  SetOpen(wmposMediaOpen);
  FEvents.push_back({Kind::MediaChange, 0});
  if (FPlayRequested) {
    SetPlay(wmppsTransitioning);
    SetStatus(kStatusStarting);
  } else {
    SetPlay(wmppsReady);
    SetStatus(kStatusReady);
  }
}

void TPlayerStateMachine::EngineRunning() {
  if (FPhase != Phase::Loaded || !FPlayRequested || FPlayState != wmppsTransitioning) return;
  SetPlay(wmppsPlaying);
  SetStatus(FBuffering ? kStatusBuffering : kStatusPlaying);
}

bool TPlayerStateMachine::AtEnd(const EndReading& reading) {
  if (reading.seeking) return false;
  return reading.eofReached || (reading.duration > 0 && reading.position >= reading.duration);
}

bool TPlayerStateMachine::EngineReport(const EndReading& reading) {
  if (FPhase != Phase::Loaded || !AtEnd(reading)) return false;
  End();
  return true;
}

void TPlayerStateMachine::End() {
  FPlayRequested = false;
  if (FPlayState == wmppsStopped) return;
  SetPlay(wmppsMediaEnded);
  SetPlay(wmppsStopped);
  SetStatus(kStatusStopped);
}

void TPlayerStateMachine::EngineFailed() {
  if (FPhase != Phase::Opening && FPhase != Phase::Loaded) return;
  const bool wasLoaded = FPhase == Phase::Loaded;
  FPhase = Phase::Failed;
  FPlayRequested = false;
  if (wasLoaded && FPlayState != wmppsStopped) SetPlay(wmppsMediaEnded);
  if (FPlayState != wmppsStopped) SetPlay(wmppsStopped);
  SetOpen(wmposPlaylistOpenNoMedia);
  SetStatus(kStatusStopped);
}

void TPlayerStateMachine::EngineReleased() {
  // The end-file event: the engine has read the whole file.
  if (EngineReport({.eofReached = true})) FPhase = Phase::Unloaded;
}

void TPlayerStateMachine::EngineBuffering(bool buffering) {
  FBuffering = buffering;
  if (FPhase != Phase::Loaded || (FPlayState != wmppsPlaying && FPlayState != wmppsBuffering)) return;
  if (buffering && FPlayState != wmppsBuffering) {
    SetPlay(wmppsBuffering);
    SetStatus(kStatusBuffering);
  } else if (!buffering && FPlayState == wmppsBuffering) {
    SetPlay(wmppsPlaying);
    SetStatus(kStatusPlaying);
  }
}

std::vector<PlayerEvent> TPlayerStateMachine::TakeEvents() { return std::exchange(FEvents, {}); }

}  // namespace korvane
