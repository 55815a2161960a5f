// The event pump of the libmpv player: the engine's reports, read on the GUI
// thread after mpv's wakeup, fed to the state machine and the seek logic; the
// events they cause are fired from the event loop.
#include <mpv/client.h>

#include <QTimer>

#include "player/MpvPlayer.h"

namespace korvane {

using Phase = PlayerStateMachine::Phase;

void TMpvPlayer::ProcessMpvEvents() {
  wakeupPending_ = false;
  for (int guard = 0; guard < 10000; ++guard) {
    mpv_event* event = mpv_wait_event(engine_->handle(), 0);
    if (!event || event->event_id == MPV_EVENT_NONE) break;
    HandleEvent(*event);
  }
  Collect();
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
      if (IsCurrentEntry()) seek_.OnSeekStarted();
      break;
    case MPV_EVENT_PLAYBACK_RESTART:
      if (IsCurrentEntry() && state_.phase() == Phase::Loaded) OnPlaybackRestart();
      break;
    case MPV_EVENT_PROPERTY_CHANGE:
      if (event.data) OnPropertyChange(event.reply_userdata, *static_cast<const mpv_event_property*>(event.data));
      break;
    default: break;
  }
}

// The engine's reports name the play-list entry they are about; only those of
// the current file's entry, once the engine has started it, are the current file's.
bool TMpvPlayer::IsCurrentEntry() const { return entry_ && startedEntry_ == entry_; }

void TMpvPlayer::OnStartFile(int64_t entry) {
  startedEntry_ = entry;
  if (IsCurrentEntry()) state_.EngineStarted();
}

void TMpvPlayer::OnEndFile(const mpv_event_end_file& end) {
  if (!entry_ || end.playlist_entry_id != entry_) return;
  switch (end.reason) {
    case MPV_END_FILE_REASON_EOF:
      entry_ = 0;
      seek_.Reset();
      if (state_.phase() == Phase::Loaded) {
        state_.EngineReleased();
      } else {
        state_.EngineFailed();
      }
      break;
    case MPV_END_FILE_REASON_REDIRECT:
      // A play list (a folder, a text file): not a media; never play its entries.
      Unload();
      state_.EngineFailed();
      break;
    default:
      // An error; and since our own stops and replacements clear entry_ first,
      // any other end of the current file leaves it stopped rather than opening for ever.
      entry_ = 0;
      seek_.Reset();
      state_.EngineFailed();
      break;
  }
}

void TMpvPlayer::OnPropertyChange(uint64_t id, const mpv_event_property& property) {
  if (property.format == MPV_FORMAT_NONE || !property.data) return;
  if (property.format == MPV_FORMAT_DOUBLE) {
    const double value = *static_cast<double*>(property.data);
    if (id == TMpvEngine::kObsTimePos && IsCurrentEntry()) timePos_ = value;
    if (id == TMpvEngine::kObsDuration && media_ && IsCurrentEntry()) media_->SetDuration(value);
  } else if (property.format == MPV_FORMAT_FLAG) {
    const bool value = *static_cast<int*>(property.data) != 0;
    switch (id) {
      case TMpvEngine::kObsPause:
        enginePaused_ = value;
        if (!enginePaused_) state_.EngineRunning();
        ReportEnd(engine_->Flag("eof-reached"));
        break;
      case TMpvEngine::kObsEofReached: ReportEnd(value); break;
      case TMpvEngine::kObsPausedForCache: state_.EngineBuffering(value); break;
      default: break;
    }
  }
}

// Every report that may show the end of the file comes here: whether the media
// has ended is the state machine's decision.
void TMpvPlayer::ReportEnd(bool eofReached) {
  if (!IsCurrentEntry()) return;
  if (state_.EngineReport({eofReached, seek_.Pending(), timePos_, Duration()})) ended_ = true;
}

// Only seeks are sent as asynchronous commands.
void TMpvPlayer::OnSeekReply(uint64_t id, bool ok) {
  if (auto cmd = seek_.OnReply(id, ok, timePos_, Duration())) {
    engine_->Seek(*cmd);
    return;
  }
  if (seek_.Pending()) {
    // A seek the engine answered but never starts would keep its target for ever.
    QTimer::singleShot(SeekController::kStartWaitMs, this, [this, id] { OnSeekStartOverdue(id); });
  } else {
    ReportEnd(engine_->Flag("eof-reached"));
  }
}

void TMpvPlayer::OnSeekStartOverdue(uint64_t id) {
  if (auto cmd = seek_.OnStartOverdue(id, timePos_, Duration())) {
    engine_->Seek(*cmd);
  } else {
    ReportEnd(engine_->Flag("eof-reached"));
  }
  Collect();
}

void TMpvPlayer::OnFileLoaded() {
  if (!media_) return;
  media_->SetFacts(engine_->ReadFacts(media_->path()));
  seekable_ = engine_->Flag("seekable");
  state_.EngineLoaded();
  if (!seekable_) {
    seek_.Reset();  // a position put while opening cannot be reached
  } else if (auto cmd = seek_.OnLoaded(0, media_->duration())) {
    engine_->Seek(*cmd);
  }
}

// Some containers (MPEG-4 part 2 in MP4, for one) leave the picture size to the
// decoder; once it is known the media changes again, as the caption shows it.
void TMpvPlayer::OnVideoReconfig() {
  if (!media_ || !entry_ || state_.phase() != Phase::Loaded) return;
  int64_t w = 0, h = 0;
  if (!engine_->Int("video-params/w", w) || !engine_->Int("video-params/h", h)) return;
  if (!media_->SetPictureSize(w, h)) return;
  Collect();  // behind the open's events, when the load was reported in the same batch
  queue_.push_back({{PlayerEvent::Kind::MediaChange, 0}, media_});
}

void TMpvPlayer::OnPlaybackRestart() {
  double landed = 0;
  if (engine_->Double("time-pos", landed)) timePos_ = landed;
  if (auto cmd = seek_.OnRestart(timePos_, Duration())) {
    engine_->Seek(*cmd);
    return;
  }
  if (!enginePaused_) state_.EngineRunning();
  ReportEnd(engine_->Flag("eof-reached"));
}

// ---------------------------------------------------------------- firing events

void TMpvPlayer::Collect() {
  for (const PlayerEvent& e : state_.TakeEvents())
    queue_.push_back({e, e.kind == PlayerEvent::Kind::MediaChange ? media_ : nullptr});
  if (queue_.empty() || firePosted_) return;
  firePosted_ = true;
  QMetaObject::invokeMethod(this, [this] { FireQueued(); }, Qt::QueuedConnection);
}

void TMpvPlayer::Fire(const Queued& q) {
  switch (q.event.kind) {
    case PlayerEvent::Kind::OpenState:
      if (events_.OpenStateChange) events_.OpenStateChange(q.event.state);
      break;
    case PlayerEvent::Kind::PlayState:
      if (events_.PlayStateChange) events_.PlayStateChange(q.event.state);
      break;
    case PlayerEvent::Kind::Status:
      if (events_.StatusChange) events_.StatusChange();
      break;
    case PlayerEvent::Kind::MediaChange:
      if (events_.MediaChange && q.media) events_.MediaChange(*q.media);
      break;
  }
}

void TMpvPlayer::FireQueued() {
  firePosted_ = false;
  // A handler may call back into the player (or run a nested event loop); what it
  // causes is queued behind the events still waiting, so the order holds.
  while (!queue_.empty()) {
    Queued q = std::move(queue_.front());
    queue_.pop_front();
    try {
      Fire(q);
    } catch (...) {
      Collect();  // the rest still fires, after the error has been shown
      throw;
    }
  }
}

}  // namespace korvane
