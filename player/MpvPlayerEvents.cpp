// The event pump of the libmpv player: the engine's reports, read on the GUI
// thread after mpv's wakeup, fed to the state machine and the seek logic; the
// events they cause are fired from the event loop.
#include <mpv/client.h>

#include <QTimer>

#include "player/MpvPlayer.h"

namespace korvane {

using Phase = TPlayerStateMachine::Phase;

void TMpvPlayer::ProcessMpvEvents() {
  FWakeupPending = false;
  for (int guard = 0; guard < 10000; ++guard) {
    mpv_event* event = mpv_wait_event(FEngine->Handle(), 0);
    if (!event || event->event_id == MPV_EVENT_NONE) break;
    HandleEvent(*event);
  }
  Collect();
  ScheduleOpenAhead();
}

void TMpvPlayer::HandleEvent(const mpv_event& event) {
  switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
      const auto* start = static_cast<const mpv_event_start_file*>(event.data);
      OnStartFile(start ? start->playlist_entry_id : 0);
      break;
    }
    case MPV_EVENT_FILE_LOADED:
      if (IsCurrentEntry()) OnFileLoaded();
      break;
    case MPV_EVENT_VIDEO_RECONFIG:
      OnVideoReconfig();
      break;
    case MPV_EVENT_END_FILE:
      if (event.data) OnEndFile(*static_cast<const mpv_event_end_file*>(event.data));
      break;
    case MPV_EVENT_COMMAND_REPLY:
      OnSeekReply(event.reply_userdata, event.error >= 0);
      break;
    case MPV_EVENT_SEEK:
      if (IsCurrentEntry()) FSeek.OnSeekStarted();
      break;
    case MPV_EVENT_PLAYBACK_RESTART:
      if (IsCurrentEntry() && FState.CurrentPhase() == Phase::Loaded) OnPlaybackRestart();
      break;
    case MPV_EVENT_PROPERTY_CHANGE:
      if (event.data) OnPropertyChange(event.reply_userdata, *static_cast<const mpv_event_property*>(event.data));
      break;
    default: break;
  }
}

// The engine's reports name the play-list entry they are about; only those of
// the current file's entry, once the engine has started it, are the current file's.
bool TMpvPlayer::IsCurrentEntry() const { return FEntry && FStartedEntry == FEntry; }

void TMpvPlayer::OnStartFile(int64_t entry) {
  FStartedEntry = entry;
  if (IsCurrentEntry()) FState.EngineStarted();
}

void TMpvPlayer::OnEndFile(const mpv_event_end_file& end) {
  if (!FEntry || end.playlist_entry_id != FEntry) return;
  switch (end.reason) {
    case MPV_END_FILE_REASON_EOF:
      FEntry = 0;
      FSeek.Reset();
      if (FState.CurrentPhase() == Phase::Loaded) {
        FState.EngineReleased();
      } else {
        FState.EngineFailed();
      }
      break;
    case MPV_END_FILE_REASON_REDIRECT:
      // A play list (a folder, a text file): not a media; never play its entries.
      Unload();
      FState.EngineFailed();
      break;
    default:
      // An error; and since our own stops and replacements clear FEntry first,
      // any other end of the current file leaves it stopped rather than opening for ever.
      FEntry = 0;
      FSeek.Reset();
      FState.EngineFailed();
      break;
  }
}

void TMpvPlayer::OnPropertyChange(uint64_t id, const mpv_event_property& property) {
  if (property.format == MPV_FORMAT_NONE || !property.data) return;
  if (property.format == MPV_FORMAT_DOUBLE) {
    const double value = *static_cast<double*>(property.data);
    if (id == TMpvEngine::kObsTimePos && IsCurrentEntry()) FTimePos = value;
    if (id == TMpvEngine::kObsDuration && FMedia && IsCurrentEntry()) FMedia->SetDuration(value);
  } else if (property.format == MPV_FORMAT_FLAG) {
    const bool value = *static_cast<int*>(property.data) != 0;
    switch (id) {
      case TMpvEngine::kObsPause:
        FEnginePaused = value;
        if (!FEnginePaused) FState.EngineRunning();
        ReportEnd(FEngine->Flag("eof-reached"));
        break;
      case TMpvEngine::kObsEofReached: ReportEnd(value); break;
      case TMpvEngine::kObsPausedForCache: FState.EngineBuffering(value); break;
      default: break;
    }
  }
}

// Every report that may show the end of the file comes here: whether the media
// has ended is the state machine's decision.
void TMpvPlayer::ReportEnd(bool eofReached) {
  if (!IsCurrentEntry()) return;
  if (FState.EngineReport({eofReached, FSeek.Pending(), FTimePos, Duration()})) FEnded = true;
}

// Only seeks are sent as asynchronous commands.
void TMpvPlayer::OnSeekReply(uint64_t id, bool ok) {
  if (auto cmd = FSeek.OnReply(id, ok, FTimePos, Duration())) {
    FEngine->Seek(*cmd);
    return;
  }
  if (FSeek.Pending()) {
    // A seek the engine answered but never starts would keep its target for ever.
    QTimer::singleShot(TSeekController::kStartWaitMs, this, [this, id] { OnSeekStartOverdue(id); });
  } else {
    ReportEnd(FEngine->Flag("eof-reached"));
  }
}

void TMpvPlayer::OnSeekStartOverdue(uint64_t id) {
  if (auto cmd = FSeek.OnStartOverdue(id, FTimePos, Duration())) {
    FEngine->Seek(*cmd);
  } else {
    ReportEnd(FEngine->Flag("eof-reached"));
  }
  Collect();
}

void TMpvPlayer::OnFileLoaded() {
  if (!FMedia) return;
  FMedia->SetFacts(FEngine->ReadFacts(FMedia->Path()));
  FSeekable = FEngine->Flag("seekable");
  FState.EngineLoaded();
  if (!FSeekable) {
    FSeek.Reset();  // a position put while opening cannot be reached
  } else if (auto cmd = FSeek.OnLoaded(0, FMedia->duration())) {
    FEngine->Seek(*cmd);
  }
}

// Some containers (MPEG-4 part 2 in MP4, for one) leave the picture size to the
// decoder; once it is known the media changes again, as the caption shows it.
void TMpvPlayer::OnVideoReconfig() {
  if (!FMedia || !FEntry || FState.CurrentPhase() != Phase::Loaded) return;
  int64_t w = 0, h = 0;
  if (!FEngine->Int("video-params/w", w) || !FEngine->Int("video-params/h", h)) return;
  if (!FMedia->SetPictureSize(w, h)) return;
  Collect();  // behind the open's events, when the load was reported in the same batch
  FQueue.push_back({{PlayerEvent::Kind::MediaChange, 0}, FMedia});
}

void TMpvPlayer::OnPlaybackRestart() {
  double landed = 0;
  if (FEngine->Double("time-pos", landed)) FTimePos = landed;
  if (auto cmd = FSeek.OnRestart(FTimePos, Duration())) {
    FEngine->Seek(*cmd);
    return;
  }
  if (!FEnginePaused) FState.EngineRunning();
  ReportEnd(FEngine->Flag("eof-reached"));
}

// ---------------------------------------------------------------- firing events

void TMpvPlayer::Collect() {
  for (const PlayerEvent& e : FState.TakeEvents())
    FQueue.push_back({e, e.kind == PlayerEvent::Kind::MediaChange ? FMedia : nullptr});
  if (FQueue.empty() || FFirePosted) return;
  FFirePosted = true;
  QMetaObject::invokeMethod(this, [this] { FireQueued(); }, Qt::QueuedConnection);
}

void TMpvPlayer::Fire(const Queued& q) {
  switch (q.event.kind) {
    case PlayerEvent::Kind::OpenState:
      if (FEvents.OpenStateChange) FEvents.OpenStateChange(q.event.state);
      break;
    case PlayerEvent::Kind::PlayState:
      if (FEvents.PlayStateChange) FEvents.PlayStateChange(q.event.state);
      break;
    case PlayerEvent::Kind::Status:
      if (FEvents.StatusChange) FEvents.StatusChange();
      break;
    case PlayerEvent::Kind::MediaChange:
      if (FEvents.MediaChange && q.media) FEvents.MediaChange(*q.media);
      break;
  }
}

void TMpvPlayer::FireQueued() {
  FFirePosted = false;
  // A handler may call back into the player (or run a nested event loop); what it
  // causes is queued behind the events still waiting, so the order holds.
  while (!FQueue.empty()) {
    Queued q = std::move(FQueue.front());
    FQueue.pop_front();
    try {
      Fire(q);
    } catch (...) {
      Collect();  // the rest still fires, after the error has been shown
      throw;
    }
  }
}

}  // namespace korvane
