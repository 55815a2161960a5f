#include "player/MpvStandby.h"

#include <mpv/client.h>

#include <cstdint>

#include "player/MpvVideoWidget.h"
#include "player/Player.h"

namespace korvane {

namespace {

// The reply id of a returned core's rewind: never one of the player's own seeks.
constexpr uint64_t kRewindReplyId = UINT64_MAX;

}  // namespace

TMpvStandbys::TMpvStandbys(MpvPlayerOptions options, TMpvVideoWidget* widget)
    : FOptions(std::move(options)), FWidget(widget) {}

TMpvStandbys::~TMpvStandbys() {
  for (auto& slot : FSlots) Destroy(*slot);
}

std::unique_ptr<TMpvStandbys::Slot> TMpvStandbys::NewSlot() {
  auto slot = std::make_unique<Slot>();
  try {
    slot->core.engine = std::make_unique<TMpvEngine>(FOptions);
  } catch (const TPlayerError&) {
    return nullptr;  // no core to spare: the player opens files as they come
  }
  TMpvEngine& engine = *slot->core.engine;
  engine.SetTextNow("mute", "yes");  // a standby is never heard
  if (!FOptions.headless) {
    if (FWidget && FWidget->RenderWindow()) {
      slot->core.window = FWidget->AddSurface(engine.Handle());
      if (!slot->core.window) return nullptr;  // a standby without a picture could not stand in
    } else {
      engine.SetTextNow("vo", "null");  // the current core draws nothing either
    }
  }
  Watch(engine);
  return slot;
}

void TMpvStandbys::Destroy(Slot& slot) {
  if (!slot.core.engine) return;
  mpv_set_wakeup_callback(slot.core.engine->Handle(), nullptr, nullptr);
  // The render context goes before its core.
  if (slot.core.window && FWidget) FWidget->RemoveSurface(slot.core.window);
  else if (slot.core.window) slot.core.window->FreeRenderContext();
  slot.core.engine.reset();
}

void TMpvStandbys::Watch(TMpvEngine& engine) {
  mpv_set_wakeup_callback(
      engine.Handle(),
      [](void* self) {
        auto* pool = static_cast<TMpvStandbys*>(self);
        if (pool->FWakeupPending.exchange(true)) return;
        QMetaObject::invokeMethod(pool, [pool] { pool->ProcessEvents(); }, Qt::QueuedConnection);
      },
      this);
}

void TMpvStandbys::ProcessEvents() {
  FWakeupPending = false;
  for (auto& slot : FSlots) Drain(*slot);
}

void TMpvStandbys::Drain(Slot& slot) {
  for (int guard = 0; guard < 10000; ++guard) {
    mpv_event* event = mpv_wait_event(slot.core.engine->Handle(), 0);
    if (!event || event->event_id == MPV_EVENT_NONE) break;
    HandleEvent(slot, *event);
  }
}

// Only the progress of the file opened ahead counts; everything else a standby
// reports is nobody's business.
void TMpvStandbys::HandleEvent(Slot& slot, const mpv_event& event) {
  StandbyProgress& p = slot.progress;
  switch (event.event_id) {
    case MPV_EVENT_START_FILE:
      if (event.data && static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id == p.entry)
        p.started = p.entry != 0;
      break;
    case MPV_EVENT_FILE_LOADED: p.loaded = p.started; break;
    case MPV_EVENT_PLAYBACK_RESTART: p.ready = p.loaded; break;
    case MPV_EVENT_END_FILE:
      // Broken, or gone: it cannot stand in. Replaced entries end with older ids.
      if (event.data && p.entry && static_cast<const mpv_event_end_file*>(event.data)->playlist_entry_id == p.entry) {
        slot.file.failed = true;
        slot.busy = false;
      }
      break;
    default: break;
  }
}

// Opened ahead, a file needs little read ahead; the player gives it back once current.
void TMpvStandbys::ReadAheadLittle(TMpvEngine& engine) {
  engine.SetTextNow("demuxer-max-bytes", "8MiB");
  engine.SetTextNow("demuxer-max-back-bytes", "1MiB");
}

void TMpvStandbys::Open(Slot& slot, const std::string& path, const std::string& videoUnscaled) {
  TMpvEngine& engine = *slot.core.engine;
  engine.SetTextNow("video-unscaled", videoUnscaled);
  ReadAheadLittle(engine);
  engine.SetFlag("pause", true);
  const std::optional<FileStamp> stamp = StampOf(path);  // before the engine reads it
  slot.progress = {};
  slot.progress.entry = engine.LoadFile(path);
  ++FOpens;
  slot.file = {path, stamp.value_or(FileStamp{}), slot.progress.entry == 0 || !stamp};
  slot.busy = slot.progress.entry != 0;
}

void TMpvStandbys::Release(Slot& slot) {
  if (slot.busy) slot.core.engine->StopFileLater();
  slot.busy = false;
  slot.file = {};
  slot.progress = {};
}

void TMpvStandbys::Hold(const std::vector<std::string>& wanted, const std::string& videoUnscaled) {
  ProcessEvents();
  std::vector<StandbySlot> seen;
  for (const auto& slot : FSlots) seen.push_back(slot->file);
  const StandbyPlan plan = PlanStandbys(seen, wanted, StampOf);
  for (size_t i = 0; i < FSlots.size(); ++i) {
    Slot& slot = *FSlots[i];
    if (!plan.load[i].empty()) {
      Open(slot, plan.load[i], videoUnscaled);
    } else if (plan.release[i] || (slot.file.path.empty() && slot.busy)) {
      Release(slot);
    }
  }
  for (const std::string& path : plan.create) {
    std::unique_ptr<Slot> slot = NewSlot();
    if (!slot) break;
    Open(*slot, path, videoUnscaled);
    FSlots.push_back(std::move(slot));
  }
}

std::optional<TMpvStandbys::Taken> TMpvStandbys::Take(const std::string& path) {
  ProcessEvents();
  std::vector<StandbySlot> seen;
  for (const auto& slot : FSlots) seen.push_back(slot->file);
  const int index = SlotFor(seen, path, StampOf);
  if (index < 0) {
    // One that holds the path but may not stand in (changed, gone) is let go; one
    // that failed on it keeps its stamp, so the file is not opened again unchanged.
    for (auto& slot : FSlots)
      if (slot->file.path == path && !slot->file.failed) Release(*slot);
    return std::nullopt;
  }
  Slot& slot = *FSlots[static_cast<size_t>(index)];
  mpv_set_wakeup_callback(slot.core.engine->Handle(), nullptr, nullptr);
  Drain(slot);  // what came since, so that nothing reported is lost or seen twice
  if (slot.file.failed) {  // it failed in the meantime: not handed over
    Watch(*slot.core.engine);
    return std::nullopt;
  }
  Taken taken{std::move(slot.core), slot.progress, slot.file.stamp};
  FSlots.erase(FSlots.begin() + index);
  return taken;
}

void TMpvStandbys::Return(TMpvCore core, std::optional<Left> left) {
  TMpvEngine& engine = *core.engine;
  engine.SetFlag("pause", true);
  engine.SetFlag("mute", true);
  ReadAheadLittle(engine);
  auto slot = std::make_unique<Slot>();
  slot->busy = true;
  if (left) {
    // Back at its first frame, as a file opened ahead waits; ready once the engine says it is there.
    engine.Seek({SeekCommand::Mode::ExactAbsolute, 0, 0, kRewindReplyId});
    slot->file = {left->path, left->stamp, false};
    slot->progress = {left->entry, true, true, false};
  }
  slot->core = std::move(core);
  Watch(*slot->core.engine);
  FSlots.push_back(std::move(slot));
}

int TMpvStandbys::ReadyCount() const {
  int ready = 0;
  for (const auto& slot : FSlots)
    if (slot->progress.ready && !slot->file.failed && !slot->file.path.empty()) ++ready;
  return ready;
}

int TMpvStandbys::FailedCount() const {
  int failed = 0;
  for (const auto& slot : FSlots)
    if (slot->file.failed && !slot->file.path.empty()) ++failed;
  return failed;
}

}  // namespace korvane
