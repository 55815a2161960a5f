#pragma once
// Decodes the pictures of the seek bar's preview on a libmpv core of its own,
// never the playing one: no audio, no subtitles, no window (mpv's software
// renderer draws into memory), keyframe seeks only, one decoding thread, on a
// worker thread at low priority. Requests come from the GUI thread; each
// answer (a picture, or none for a file without one or that cannot be read)
// is handed to the sink on the worker thread.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "player/PreviewRules.h"

struct mpv_handle;
struct mpv_render_context;

namespace korvane {

using TPreviewSink = std::function<void(const TPreviewJob& job, TPreviewPicturePtr picture)>;

class TMpvPreviewDecoder {
 public:
  // Throws TPlayerError when the core cannot start.
  explicit TMpvPreviewDecoder(TPreviewSink sink);
  // Stops the thread (a decode in flight is given up) and the core.
  ~TMpvPreviewDecoder();
  TMpvPreviewDecoder(const TMpvPreviewDecoder&) = delete;
  TMpvPreviewDecoder& operator=(const TMpvPreviewDecoder&) = delete;

  // Replaces a request not yet begun.
  void Decode(const TPreviewJob& job);
  // Lets go of the file (the list may move it or trash it), once the thread is free.
  void Release();

 private:
  void Run();
  TPreviewPicturePtr Picture(const TPreviewJob& job);
  bool Open(const std::string& path);
  bool WaitFor(int eventId, double timeoutSeconds);
  void Draw(TPreviewPicture& target);

  TPreviewSink FSink;
  mpv_handle* FCore = nullptr;
  mpv_render_context* FRender = nullptr;
  std::string FOpen;  // the file the core holds; worker thread only
  bool FOpenHasPicture = false;
  TPreviewPicture FScratch;  // what a frame update drew while waiting

  std::mutex FMutex;
  std::condition_variable FWake;
  std::optional<TPreviewJob> FJob;
  bool FRelease = false;
  bool FQuit = false;
  std::thread FThread;
};

}  // namespace korvane
