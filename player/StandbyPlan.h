#pragma once
// Which files the player keeps opened ahead in its standby cores, and when a
// standby may stand in for an open: plain rules, without the engine.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// At most this many files are held opened ahead (the next and the previous one).
inline constexpr size_t kMaxStandbys = 2;

// What tells a file that changed or was replaced since it was opened ahead.
struct FileStamp {
  int64_t size = 0;
  int64_t mtimeNs = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};
// The stamp of an existing regular file; none for anything else.
std::optional<FileStamp> StampOf(const std::string& path);
using StampReader = std::function<std::optional<FileStamp>(const std::string&)>;

// One standby core as the plan sees it: the file it holds ("" when idle), the
// stamp the file had when it was opened, and whether the engine failed on it.
struct StandbySlot {
  std::string path;
  FileStamp stamp;
  bool failed = false;
};

// The files to hold for the neighbours: the next first, then the previous;
// never the current file, none twice, none for an empty path. None at all when
// opening ahead is not affordable.
std::vector<std::string> WantedStandbys(const std::string& prev, const std::string& next, const std::string& current,
                                        bool affordable);

// Whether opening ahead leaves the current file its smooth playback: a picture
// above full HD on a machine of four cores or fewer is decoded alone.
bool OpenAheadAffordable(int64_t width, int64_t height, unsigned cores);

// A move sooner than this after the one before is taken for a held key's
// auto-repeat: longer than the gap between repeated keys.
inline constexpr int64_t kRepeatGapMs = 150;
// How long opening ahead waits from nowMs once the current file's first picture
// is up: not at all after a move on its own; after a run of quick moves, until
// the repeat gap has passed since the last, so a held key opens nothing ahead
// per repeat. Times in ms of a steady clock; a move never made is at INT64_MIN.
int64_t OpenAheadWaitMs(int64_t lastMoveMs, int64_t moveBeforeMs, int64_t nowMs);

// The slot whose file may stand in for opening `path`: it holds that path, did
// not fail, and the file is still the one it opened. -1 when none.
int SlotFor(const std::vector<StandbySlot>& slots, const std::string& path, const StampReader& stampOf);

struct StandbyPlan {
  // Per existing slot: the path to open in it, "" to keep what it holds (or stay idle).
  std::vector<std::string> load;
  // Per existing slot: true when its file is to be let go (it is not wanted).
  std::vector<bool> release;
  // Paths for cores still to be made, within kMaxStandbys in all.
  std::vector<std::string> create;
};

// Keeps the slots that already hold a wanted file unchanged (or failed on it
// unchanged: it is not tried again), gives the other
// wanted files (those that exist) to the remaining slots, then to new ones.
StandbyPlan PlanStandbys(const std::vector<StandbySlot>& slots, const std::vector<std::string>& wanted,
                         const StampReader& stampOf);

}  // namespace korvane
