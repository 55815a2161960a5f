#include "player/StandbyPlan.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>

namespace korvane {

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{static_cast<int64_t>(st.st_size),
                   static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                   static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

std::vector<std::string> WantedStandbys(const std::string& prev, const std::string& next, const std::string& current,
                                        bool affordable) {
  std::vector<std::string> wanted;
  if (!affordable) return wanted;
  for (const std::string* path : {&next, &prev}) {
    if (path->empty() || *path == current) continue;
    if (std::find(wanted.begin(), wanted.end(), *path) == wanted.end()) wanted.push_back(*path);
  }
  return wanted;
}

bool OpenAheadAffordable(int64_t width, int64_t height, unsigned cores) {
  return width * height <= 1920 * 1088 || cores > 4;
}

int64_t OpenAheadWaitMs(int64_t lastMoveMs, int64_t moveBeforeMs, int64_t nowMs) {
  const bool alone = moveBeforeMs == INT64_MIN || lastMoveMs - moveBeforeMs >= kRepeatGapMs;
  if (alone) return 0;
  return std::max<int64_t>(0, lastMoveMs + kRepeatGapMs - nowMs);
}

namespace {

// The slot opened `path` as the file is now; it may still have failed on it.
bool Opened(const StandbySlot& slot, const std::string& path, const StampReader& stampOf) {
  if (slot.path != path || path.empty()) return false;
  const std::optional<FileStamp> now = stampOf(path);
  return now && *now == slot.stamp;
}

bool Holds(const StandbySlot& slot, const std::string& path, const StampReader& stampOf) {
  return !slot.failed && Opened(slot, path, stampOf);
}

}  // namespace

int SlotFor(const std::vector<StandbySlot>& slots, const std::string& path, const StampReader& stampOf) {
  for (size_t i = 0; i < slots.size(); ++i)
    if (Holds(slots[i], path, stampOf)) return static_cast<int>(i);
  return -1;
}

StandbyPlan PlanStandbys(const std::vector<StandbySlot>& slots, const std::vector<std::string>& wanted,
                         const StampReader& stampOf) {
  StandbyPlan plan;
  plan.load.assign(slots.size(), "");
  plan.release.assign(slots.size(), false);
  std::vector<bool> kept(slots.size(), false);
  std::vector<std::string> missing;
  for (const std::string& path : wanted) {
    bool held = false;
    for (size_t i = 0; i < slots.size() && !held; ++i) {
      // A file the engine failed on is not tried again until it changes.
      if (!kept[i] && Opened(slots[i], path, stampOf)) kept[i] = held = true;
    }
    if (!held && stampOf(path)) missing.push_back(path);
  }
  size_t next = 0;
  for (size_t i = 0; i < slots.size(); ++i) {
    if (kept[i]) continue;
    if (next < missing.size()) {
      plan.load[i] = missing[next++];
    } else {
      plan.release[i] = !slots[i].path.empty();
    }
  }
  for (size_t n = slots.size(); next < missing.size() && n < kMaxStandbys; ++n) plan.create.push_back(missing[next++]);
  return plan;
}

}  // namespace korvane
