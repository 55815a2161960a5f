#pragma once
// The rules of the seek bar's preview, without a decoder or a window: the size
// of the picture, the per-file cache of pictures decoded, and the queue that
// keeps only the newest request waiting while one is decoded.
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvane {

// A decoded picture, 4 bytes a pixel (red, green, blue, unused), rows without gaps.
struct TPreviewPicture {
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint8_t> FPixels;
};
using TPreviewPicturePtr = std::shared_ptr<const TPreviewPicture>;

inline constexpr int kPreviewWidth = 192;
inline constexpr int kPreviewCacheSize = 64;  // 64 pictures of 192 x at most 192: under 10 MiB

// The preview's size for a picture of videoWidth x videoHeight: kPreviewWidth
// wide, the height keeping the aspect within [kPreviewWidth / 4, kPreviewWidth]
// (the decoder letterboxes beyond). False for no picture.
bool PreviewSize(int videoWidth, int videoHeight, int& width, int& height);
// Times within one second share a picture: the keyframe seek lands alike.
int64_t PreviewKey(double seconds);

// The pictures of one file, the least recently used going first; another file empties it.
class TPreviewCache {
 public:
  TPreviewPicturePtr Find(const std::string& path, int64_t key);
  void Put(const std::string& path, int64_t key, TPreviewPicturePtr picture);
  size_t Size() const { return FEntries.size(); }

 private:
  std::string FPath;
  std::list<std::pair<int64_t, TPreviewPicturePtr>> FEntries;  // most recent first
};

struct TPreviewJob {
  std::string FPath;
  double FSeconds = 0;
};

// One request decoded at a time; while it runs, only the newest waits.
class TPreviewQueue {
 public:
  // The job to start now, or none while another runs (it then waits, replacing any waiting).
  std::optional<TPreviewJob> Want(TPreviewJob job);
  // The running job is done: the waiting one to start next, if any.
  std::optional<TPreviewJob> Finished();
  // The pointer left: the waiting job is dropped, the running one runs out.
  void Drop() { FWaiting.reset(); }
  bool Busy() const { return FBusy; }

 private:
  bool FBusy = false;
  std::optional<TPreviewJob> FWaiting;
};

}  // namespace korvane
