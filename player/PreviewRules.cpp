#include "player/PreviewRules.h"

#include <algorithm>
#include <cmath>

namespace korvane {

bool PreviewSize(int videoWidth, int videoHeight, int& width, int& height) {
  if (videoWidth <= 0 || videoHeight <= 0) return false;
  width = kPreviewWidth;
  const double scaled = static_cast<double>(kPreviewWidth) * videoHeight / videoWidth;
  height = std::clamp(static_cast<int>(std::lround(scaled)), kPreviewWidth / 4, kPreviewWidth);
  return true;
}

int64_t PreviewKey(double seconds) {
  if (!(seconds > 0)) return 0;  // also NaN
  return static_cast<int64_t>(std::floor(std::min(seconds, 1e15)));
}

TPreviewPicturePtr TPreviewCache::Find(const std::string& path, int64_t key) {
  if (path != FPath) return nullptr;
  const auto it = std::find_if(FEntries.begin(), FEntries.end(), [key](const auto& e) { return e.first == key; });
  if (it == FEntries.end()) return nullptr;
  FEntries.splice(FEntries.begin(), FEntries, it);
  return FEntries.front().second;
}

void TPreviewCache::Put(const std::string& path, int64_t key, TPreviewPicturePtr picture) {
  if (path != FPath) {
    FEntries.clear();
    FPath = path;
  }
  FEntries.remove_if([key](const auto& e) { return e.first == key; });
  FEntries.emplace_front(key, std::move(picture));
  if (FEntries.size() > static_cast<size_t>(kPreviewCacheSize)) FEntries.pop_back();
}

std::optional<TPreviewJob> TPreviewQueue::Want(TPreviewJob job) {
  if (FBusy) {
    FWaiting = std::move(job);
    return std::nullopt;
  }
  FBusy = true;
  return job;
}

std::optional<TPreviewJob> TPreviewQueue::Finished() {
  std::optional<TPreviewJob> next = std::exchange(FWaiting, std::nullopt);
  FBusy = next.has_value();
  return next;
}

}  // namespace korvane
