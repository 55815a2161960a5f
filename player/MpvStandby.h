#pragma once
// The standby cores of the libmpv player: each a core of its own with its own
// picture surface for its whole life, holding a neighbouring file opened,
// paused on its first frame and muted, out of sight. Their reports are read
// here and kept to themselves; a core taken out to become the current one
// comes with what it has reported so far, and the core it replaces comes back.
#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "player/MpvEngine.h"
#include "player/StandbyPlan.h"

struct mpv_event;

namespace korvane {

class TMpvRenderWindow;
class TMpvVideoWidget;

// A core with the window it draws into (null when nothing is drawn).
struct TMpvCore {
  std::unique_ptr<TMpvEngine> engine;
  QPointer<TMpvRenderWindow> window;
};

// What a standby core has reported of the file it opens: its play-list entry,
// and whether the engine started it, loaded it and decoded its first frame.
struct StandbyProgress {
  int64_t entry = 0;
  bool started = false;
  bool loaded = false;
  bool ready = false;
};

class TMpvStandbys : public QObject {
  Q_OBJECT
 public:
  TMpvStandbys(MpvPlayerOptions options, TMpvVideoWidget* widget);
  ~TMpvStandbys() override;
  TMpvStandbys(const TMpvStandbys&) = delete;
  TMpvStandbys& operator=(const TMpvStandbys&) = delete;

  // Holds the wanted files opened ahead (see PlanStandbys) and lets the others
  // go; videoUnscaled is the picture setting a file opens with.
  void Hold(const std::vector<std::string>& wanted, const std::string& videoUnscaled);

  struct Taken {
    TMpvCore core;
    StandbyProgress progress;
    FileStamp stamp;  // the file's when it was opened
  };
  // The core that holds `path` unchanged, out of the pool and no longer watched
  // here; none when no core may stand in for opening it.
  std::optional<Taken> Take(const std::string& path);
  // The file a core that was current still holds: going back to it takes the core again.
  struct Left {
    std::string path;
    FileStamp stamp;
    int64_t entry = 0;
  };
  // The core that was current: paused, silent, out of sight, rewound to the
  // start of the file it leaves, or holding nothing wanted without one.
  void Return(TMpvCore core, std::optional<Left> left);

  // Cores whose file is opened up to its first frame.
  int ReadyCount() const;
  // Cores whose file the engine failed on; files opened ahead so far.
  int FailedCount() const;
  int OpenCount() const { return FOpens; }

 private:
  struct Slot {
    TMpvCore core;
    StandbySlot file;  // what the plan sees; path "" while it holds nothing wanted
    StandbyProgress progress;
    bool busy = false;  // the engine holds some file
  };

  std::unique_ptr<Slot> NewSlot();
  void Open(Slot& slot, const std::string& path, const std::string& videoUnscaled);
  static void ReadAheadLittle(TMpvEngine& engine);
  void Release(Slot& slot);
  void Destroy(Slot& slot);
  void Watch(TMpvEngine& engine);
  void ProcessEvents();
  void Drain(Slot& slot);
  static void HandleEvent(Slot& slot, const mpv_event& event);

  MpvPlayerOptions FOptions;
  QPointer<TMpvVideoWidget> FWidget;
  std::vector<std::unique_ptr<Slot>> FSlots;
  std::atomic<bool> FWakeupPending{false};
  int FOpens = 0;
};

}  // namespace korvane
