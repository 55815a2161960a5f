#include "player/MpvPreviewDecoder.h"

#include <mpv/client.h>
#include <mpv/render.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "player/Player.h"

namespace korvane {

namespace {

constexpr double kOpenTimeout = 3.0;
constexpr double kSeekTimeout = 2.0;
constexpr double kEventWait = 0.01;
constexpr int kLowPriority = 10;
constexpr int kScratchSide = 16;  // frames drawn while waiting are only there to let the engine on

void SetOptions(mpv_handle* core) {
  const char* options[][2] = {
      {"config", "no"}, {"terminal", "no"}, {"load-scripts", "no"}, {"osc", "no"},
      {"vo", "libmpv"}, {"ao", "null"},    {"aid", "no"},           {"sid", "no"},
      {"pause", "yes"}, {"idle", "yes"},   {"keep-open", "always"}, {"hwdec", "no"},
      {"hr-seek", "no"}, {"cache", "no"},  {"vd-lavc-threads", "1"}, {"demuxer-readahead-secs", "0"},
  };
  for (const auto& [name, value] : options) mpv_set_option_string(core, name, value);
}

}  // namespace

TMpvPreviewDecoder::TMpvPreviewDecoder(TPreviewSink sink) : FSink(std::move(sink)) {
  FCore = mpv_create();
  if (!FCore) throw TPlayerError("mpv_create failed");
  SetOptions(FCore);
  mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  if (mpv_initialize(FCore) < 0 || mpv_render_context_create(&FRender, FCore, params) < 0) {
    mpv_terminate_destroy(FCore);
    throw TPlayerError("the preview core cannot start");
  }
  FScratch.FWidth = FScratch.FHeight = kScratchSide;
  FScratch.FPixels.resize(kScratchSide * kScratchSide * 4);
  FThread = std::thread([this] { Run(); });
}

TMpvPreviewDecoder::~TMpvPreviewDecoder() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FQuit = true;
  }
  FWake.notify_one();
  mpv_wakeup(FCore);  // out of a wait for the engine
  FThread.join();
  mpv_render_context_free(FRender);
  mpv_terminate_destroy(FCore);
}

void TMpvPreviewDecoder::Decode(const TPreviewJob& job) {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FJob = job;
    FRelease = false;
  }
  FWake.notify_one();
}

void TMpvPreviewDecoder::Release() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FRelease = true;
  }
  FWake.notify_one();
}

void TMpvPreviewDecoder::Run() {
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kLowPriority);
  for (;;) {
    std::optional<TPreviewJob> job;
    bool release = false;
    {
      std::unique_lock<std::mutex> lock(FMutex);
      FWake.wait(lock, [this] { return FQuit || FJob || FRelease; });
      if (FQuit) return;
      job = std::exchange(FJob, std::nullopt);
      release = std::exchange(FRelease, false) && !job;
    }
    if (job) {
      FSink(*job, Picture(*job));
    } else if (release && !FOpen.empty()) {
      const char* stop[] = {"stop", nullptr};
      mpv_command(FCore, stop);
      FOpen.clear();
    }
  }
}

// Opens the file unless the core holds it: whether it has a picture.
bool TMpvPreviewDecoder::Open(const std::string& path) {
  if (path == FOpen) return FOpenHasPicture;
  FOpen = path;
  FOpenHasPicture = false;
  const char* load[] = {"loadfile", path.c_str(), nullptr};
  if (mpv_command(FCore, load) < 0 || !WaitFor(MPV_EVENT_FILE_LOADED, kOpenTimeout)) return false;
  char* video = mpv_get_property_string(FCore, "vid");
  FOpenHasPicture = video && std::strcmp(video, "no") != 0;
  mpv_free(video);
  return FOpenHasPicture;
}

// Serves the engine's events until the one asked for; a file that fails, a
// quit or the timeout end the wait without it.
bool TMpvPreviewDecoder::WaitFor(int eventId, double timeoutSeconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (std::chrono::steady_clock::now() < end) {
    {
      std::lock_guard<std::mutex> lock(FMutex);
      if (FQuit) return false;
    }
    // The engine restarts only once the new frame was drawn.
    if (mpv_render_context_update(FRender) & MPV_RENDER_UPDATE_FRAME) Draw(FScratch);
    const mpv_event* event = mpv_wait_event(FCore, kEventWait);
    if (event->event_id == eventId) return true;
    // The end of the file replaced comes too; only a failure ends the wait.
    if (event->event_id == MPV_EVENT_END_FILE &&
        static_cast<const mpv_event_end_file*>(event->data)->reason == MPV_END_FILE_REASON_ERROR)
      return false;
  }
  return false;
}

void TMpvPreviewDecoder::Draw(TPreviewPicture& target) {
  int size[2] = {target.FWidth, target.FHeight};
  int stride = target.FWidth * 4;
  mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                               {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("rgb0")},
                               {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                               {MPV_RENDER_PARAM_SW_POINTER, target.FPixels.data()},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  mpv_render_context_render(FRender, params);
}

TPreviewPicturePtr TMpvPreviewDecoder::Picture(const TPreviewJob& job) {
  if (!Open(job.FPath)) return nullptr;
  char target[40];
  std::snprintf(target, sizeof target, "%.3f", job.FSeconds > 0 ? job.FSeconds : 0.0);
  const char* seek[] = {"seek", target, "absolute+keyframes", nullptr};
  // The seek's own restart follows its start; one before it is the file's start or an older seek's.
  if (mpv_command(FCore, seek) < 0 || !WaitFor(MPV_EVENT_SEEK, kSeekTimeout) ||
      !WaitFor(MPV_EVENT_PLAYBACK_RESTART, kSeekTimeout))
    return nullptr;
  int64_t width = 0, height = 0;
  mpv_get_property(FCore, "width", MPV_FORMAT_INT64, &width);
  mpv_get_property(FCore, "height", MPV_FORMAT_INT64, &height);
  auto picture = std::make_shared<TPreviewPicture>();
  if (!PreviewSize(static_cast<int>(width), static_cast<int>(height), picture->FWidth, picture->FHeight)) return nullptr;
  picture->FPixels.resize(static_cast<size_t>(picture->FWidth) * picture->FHeight * 4);
  Draw(*picture);  // the frame at the landing, scaled by the engine
  return picture;
}

}  // namespace korvane
