#include "player/MpvPlayer.h"

#include <mpv/client.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <clocale>
#include <cmath>
#include <cstring>

#include "base/Utf.h"
#include "player/AudioBalance.h"
#include "player/MpvVideoWidget.h"
#include "player/PlayerTime.h"

namespace korvane {

namespace {

// Observed properties, by reply id.
enum Observed : uint64_t {
  kObsTimePos = 1,
  kObsDuration,
  kObsPause,
  kObsEofReached,
  kObsPausedForCache,
};

std::string NodeString(const mpv_node* node) {
  if (!node) return "";
  switch (node->format) {
    case MPV_FORMAT_STRING: return node->u.string ? node->u.string : "";
    case MPV_FORMAT_INT64: return std::to_string(node->u.int64);
    case MPV_FORMAT_FLAG: return node->u.flag ? "yes" : "no";
    case MPV_FORMAT_DOUBLE: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%g", node->u.double_);
      return buf;
    }
    default: return "";
  }
}

const mpv_node* MapGet(const mpv_node& map, const char* key) {
  if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list) return nullptr;
  for (int i = 0; i < map.u.list->num; ++i) {
    if (std::strcmp(map.u.list->keys[i], key) == 0) return &map.u.list->values[i];
  }
  return nullptr;
}

double NodeDouble(const mpv_node* node) {
  if (!node) return 0;
  if (node->format == MPV_FORMAT_DOUBLE) return node->u.double_;
  if (node->format == MPV_FORMAT_INT64) return static_cast<double>(node->u.int64);
  return 0;
}

int64_t NodeInt(const mpv_node* node) {
  if (!node) return 0;
  if (node->format == MPV_FORMAT_INT64) return node->u.int64;
  if (node->format == MPV_FORMAT_DOUBLE) return static_cast<int64_t>(node->u.double_);
  return 0;
}

bool NodeFlag(const mpv_node* node) { return node && node->format == MPV_FORMAT_FLAG && node->u.flag; }

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

// A file the engine may be given: an existing regular file (a folder would be
// opened as a play list of its files, a device could block).
bool IsPlayableFile(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

// ---------------------------------------------------------------- media

TMpvMedia::TMpvMedia(std::u16string url, std::string path)
    : url_(std::move(url)), path_(std::move(path)), name_(ToWide(FileNameWithoutExtension(path_))) {}

std::u16string TMpvMedia::durationString() { return FormatMediaTime(duration()); }

std::u16string TMpvMedia::getAttributeName(int32_t index) { return ToWide(attributes_.name(index)); }

std::u16string TMpvMedia::getItemInfo(const std::u16string& attributeName) {
  return ToWide(attributes_.value(ToNarrow(attributeName)));
}

void TMpvMedia::SetFacts(MediaFacts facts) {
  facts_ = std::move(facts);
  name_ = ToWide(MediaDisplayName(path_, facts_.tags));
  attributes_ = MediaAttributes(facts_);
}

bool TMpvMedia::SetPictureSize(int64_t width, int64_t height) {
  if (facts_.width > 0 || width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
  facts_.width = static_cast<int32_t>(width);
  facts_.height = static_cast<int32_t>(height);
  attributes_ = MediaAttributes(facts_);
  return true;
}

void TMpvMedia::SetDuration(double seconds) {
  if (seconds > 0 && std::isfinite(seconds)) facts_.duration = seconds;
}

// ---------------------------------------------------------------- controls and settings

class TMpvPlayer::Controls : public IWMPControls {
 public:
  explicit Controls(TMpvPlayer& p) : p_(p) {}
  bool isAvailable(const std::u16string& name) override { return p_.ControlAvailable(name); }
  void play() override { p_.Play(); }
  void stop() override { p_.Stop(); }
  void pause() override { p_.Pause(); }
  double currentPosition() override { return p_.Position(); }
  void setCurrentPosition(double seconds) override { p_.SetPosition(seconds); }
  std::u16string currentPositionString() override { return p_.PositionString(); }

 private:
  TMpvPlayer& p_;
};

class TMpvPlayer::Settings : public IWMPSettings {
 public:
  explicit Settings(TMpvPlayer& p) : p_(p) {}
  bool autoStart() override { return false; }
  int32_t balance() override { return p_.balance_; }
  void setBalance(int32_t value) override { p_.SetBalance(value); }
  std::u16string baseURL() override { return u""; }
  std::u16string defaultFrame() override { return u""; }
  bool enableErrorDialogs() override { return false; }
  bool invokeURLs() override { return false; }
  bool mute() override { return p_.mute_; }
  void setMute(bool value) override { p_.SetMute(value); }
  int32_t playCount() override { return 1; }
  double rate() override { return 1.0; }
  int32_t volume() override { return p_.volume_; }
  void setVolume(int32_t value) override { p_.SetVolume(value); }
  bool isAvailable(const std::u16string& name) override {
    if (name == u"Balance" || name == u"Volume" || name == u"Mute") return true;
    // The engine can change the rate of a loaded, seekable media.
    if (name == u"Rate") return p_.state_.phase() == PlayerStateMachine::Phase::Loaded && p_.seekable_;
    return false;
  }
  bool getMode(const std::u16string& mode) override {
    // The control's defaults: autoRewind on; loop, shuffle and showFrame off.
    return mode == u"autoRewind";
  }

 private:
  TMpvPlayer& p_;
};

// ---------------------------------------------------------------- construction

TMpvPlayer::TMpvPlayer(QWidget* parent, MpvPlayerOptions options)
    : options_(options), controls_(std::make_unique<Controls>(*this)), settings_(std::make_unique<Settings>(*this)) {
  // libmpv needs the C numeric locale for the whole process.
  std::setlocale(LC_NUMERIC, "C");
  mpv_ = mpv_create();
  if (!mpv_) throw PlayerError("mpv_create failed");

  auto opt = [this](const char* name, const char* value) { mpv_set_option_string(mpv_, name, value); };
  opt("config", "no");
  opt("terminal", "no");
  opt("msg-level", "all=no");
  opt("idle", "yes");
  opt("keep-open", "yes");          // the end pauses on the last frame; the player reports it stopped
  opt("pause", "yes");              // nothing starts without play
  opt("load-scripts", "no");
  opt("ytdl", "no");
  opt("osc", "no");
  opt("osd-level", "0");
  opt("input-default-bindings", "no");
  opt("input-vo-keyboard", "no");
  opt("input-cursor", "no");
  opt("cursor-autohide", "no");
  opt("resume-playback", "no");
  opt("save-position-on-quit", "no");
  opt("audio-file-auto", "no");
  opt("sub-auto", "no");
  opt("cover-art-auto", "no");
  opt("audio-display", "no");
  opt("audio-fallback-to-null", "yes");  // a machine without sound still plays, silently
  opt("hwdec", "no");
  opt("keepaspect", "yes");
  opt("video-unscaled", "downscale-big");
  opt("volume", "50");
  opt("volume-max", "100");
  opt("audio-client-name", "Korvane");
  if (options_.headless) {
    opt("vo", "null");
    opt("ao", "null");
  } else {
    opt("vo", "libmpv");
    // Cheap scalers: without a GPU (llvmpipe) each drawn frame costs the GUI thread.
    opt("scale", "bilinear");
    opt("dscale", "bilinear");
    opt("cscale", "bilinear");
    opt("dither-depth", "no");
    opt("correct-downscaling", "no");
    opt("linear-downscaling", "no");
    opt("sigmoid-upscaling", "no");
    opt("hdr-compute-peak", "no");
    if (!options_.audioOutput.empty()) opt("ao", options_.audioOutput.c_str());
  }
  if (mpv_initialize(mpv_) < 0) {
    mpv_terminate_destroy(mpv_);
    mpv_ = nullptr;
    throw PlayerError("mpv_initialize failed");
  }

  mpv_observe_property(mpv_, kObsTimePos, "time-pos", MPV_FORMAT_DOUBLE);
  mpv_observe_property(mpv_, kObsDuration, "duration", MPV_FORMAT_DOUBLE);
  mpv_observe_property(mpv_, kObsPause, "pause", MPV_FORMAT_FLAG);
  mpv_observe_property(mpv_, kObsEofReached, "eof-reached", MPV_FORMAT_FLAG);
  mpv_observe_property(mpv_, kObsPausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);

  TMpvRenderWindow* window = nullptr;
  if (!options_.headless) {
    window = new TMpvRenderWindow(mpv_);
    if (!window->InitRenderContext()) {
      // No OpenGL here (e.g. the offscreen platform): play without a picture.
      delete window;
      window = nullptr;
      mpv_set_property_string(mpv_, "vo", "null");
    }
  }
  widget_ = new TMpvVideoWidget(parent, window);
  widget_->resize(712, 415);
  if (parent) widget_->show();  // also when the panel is already on screen
  renderWindow_ = window;
  widget_->SetClickSink([this](int16_t button, int16_t shift, int32_t x, int32_t y) {
    if (events_.Click) events_.Click(button, shift, x, y);
  });

  mpv_set_wakeup_callback(
      mpv_,
      [](void* self) {
        auto* player = static_cast<TMpvPlayer*>(self);
        if (player->wakeupPending_.exchange(true)) return;
        QMetaObject::invokeMethod(player, [player] { player->ProcessMpvEvents(); }, Qt::QueuedConnection);
      },
      this);
}

TMpvPlayer::~TMpvPlayer() {
  mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
  // The render context goes before the handle; then the picture's widget.
  if (renderWindow_) renderWindow_->FreeRenderContext();
  mpv_terminate_destroy(mpv_);
  delete widget_.data();
}

QWidget* TMpvPlayer::widget() const { return widget_.data(); }

IWMPControls& TMpvPlayer::controls() { return *controls_; }

IWMPSettings& TMpvPlayer::settings() { return *settings_; }

bool TMpvPlayer::rendersVideo() const { return renderWindow_ && renderWindow_->HasRenderContext(); }

int TMpvPlayer::framesRendered() const { return renderWindow_ ? renderWindow_->FramesRendered() : 0; }

std::string TMpvPlayer::engineProperty(const char* name) const {
  char* value = mpv_get_property_string(mpv_, name);
  if (!value) return "";
  std::string out = value;
  mpv_free(value);
  return out;
}

std::u16string TMpvPlayer::versionInfo() {
  const unsigned long api = mpv_client_api_version();
  std::string text = engineProperty("mpv-version");
  if (text.empty()) text = "mpv";
  text += " (libmpv " + std::to_string(api >> 16) + "." + std::to_string(api & 0xFFFF);
  const std::string ffmpeg = engineProperty("ffmpeg-version");
  if (!ffmpeg.empty()) text += ", FFmpeg " + ffmpeg;
  text += ")";
  return ToWide(text);
}

// ---------------------------------------------------------------- engine helpers

void TMpvPlayer::SetFlag(const char* name, bool value) {
  int flag = value ? 1 : 0;
  mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_FLAG, &flag);
}

void TMpvPlayer::Load() {
  loadPending_ = false;
  if (!media_) return;
  timePos_ = 0;
  ended_ = false;
  rewindOnPlay_ = false;
  seekable_ = false;
  SetFlag("pause", !state_.playRequested());
  const std::string path = media_->path();
  const char* argv[] = {"loadfile", path.c_str(), "replace", nullptr};
  mpv_node result;
  if (mpv_command_ret(mpv_, argv, &result) < 0) {
    entry_ = 0;
    state_.EngineFailed();
    return;
  }
  entry_ = NodeInt(MapGet(result, "playlist_entry_id"));
  mpv_free_node_contents(&result);
}

void TMpvPlayer::Unload() {
  loadPending_ = false;
  entry_ = 0;
  seek_.Reset();
  timePos_ = 0;
  ended_ = false;
  rewindOnPlay_ = false;
  // Synchronous: an asynchronous stop could overtake a loadfile issued right after it.
  const char* argv[] = {"stop", nullptr};
  mpv_command(mpv_, argv);
}

void TMpvPlayer::ApplyAction(PlayerStateMachine::Action action) {
  using Action = PlayerStateMachine::Action;
  switch (action) {
    case Action::None: break;
    case Action::Unpause:
      if (state_.phase() == PlayerStateMachine::Phase::Loaded && (ended_ || rewindOnPlay_)) {
        // Play after a stop or the end starts again from the beginning.
        ended_ = false;
        rewindOnPlay_ = false;
        if (auto cmd = seek_.Put(0, timePos_, media_ ? media_->duration() : 0, true)) IssueSeek(*cmd);
      }
      SetFlag("pause", false);
      break;
    case Action::Pause: SetFlag("pause", true); break;
    case Action::StopAndRewind:
      // The rewind waits for play: a stop is mostly followed by another file,
      // and a seek the engine would run first only delays opening it.
      SetFlag("pause", true);
      seek_.Reset();
      rewindOnPlay_ = true;
      break;
    case Action::Unload: Unload(); break;
    case Action::Reload: Load(); break;
  }
}

void TMpvPlayer::IssueSeek(const SeekCommand& command) {
  mpv_node args[3];
  mpv_node_list list{3, args, nullptr};
  args[0].format = MPV_FORMAT_STRING;
  args[0].u.string = const_cast<char*>("seek");
  args[1].format = MPV_FORMAT_DOUBLE;
  args[2].format = MPV_FORMAT_STRING;
  if (command.mode == SeekCommand::Mode::KeyframeRelative) {
    args[1].u.double_ = command.delta;
    args[2].u.string = const_cast<char*>("relative+keyframes");
  } else {
    args[1].u.double_ = command.target;
    args[2].u.string = const_cast<char*>("absolute+exact");
  }
  mpv_node node;
  node.format = MPV_FORMAT_NODE_ARRAY;
  node.u.list = &list;
  // The reply id ties the engine's reports to this seek (see SeekController).
  mpv_command_node_async(mpv_, command.id, &node);
}

// ---------------------------------------------------------------- core properties

void TMpvPlayer::setURL(const std::u16string& url) {
  if (url.empty()) {
    if (media_ || entry_ || loadPending_) Unload();
    url_.clear();
    media_.reset();
    state_.Close();
    Collect();
    return;
  }
  url_ = url;
  // From here on the engine's reports of the previous file are not the current
  // file's: a late end of it would otherwise fail the new one.
  entry_ = 0;
  const std::string path = AbsolutePath(ToNarrow(url));
  media_ = std::make_shared<TMpvMedia>(url, path);
  seek_.Reset();  // a position put from here on waits for the file to open
  state_.Open();
  if (IsPlayableFile(path)) {
    // Loaded from the event loop, right after the caller's handler: a play that
    // follows at once then starts the file unpaused instead of unpausing it
    // while it opens, which costs the engine a second start.
    loadPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (std::exchange(loadPending_, false)) Load();  // replaces the previous file
          Collect();
        },
        Qt::QueuedConnection);
  } else {
    Unload();  // the previous file must not play on
    state_.EngineFailed();
  }
  Collect();
}

void TMpvPlayer::setStretchToFit(bool value) {
  stretchToFit_ = value;
  mpv_set_property_string(mpv_, "video-unscaled", value ? "no" : "downscale-big");
}

void TMpvPlayer::SetObjectRects(const PlayerRect& position, const PlayerRect&) {
  if (!widget_) return;
  widget_->setGeometry(position.left, position.top, std::max(0, position.right - position.left),
                       std::max(0, position.bottom - position.top));
}

// ---------------------------------------------------------------- controls

bool TMpvPlayer::ControlAvailable(const std::u16string& name) const {
  using Phase = PlayerStateMachine::Phase;
  const Phase phase = state_.phase();
  if (name == u"Play") {
    return (phase == Phase::Loaded && !state_.isPlaying()) || (phase == Phase::Opening && !state_.playRequested()) ||
           phase == Phase::Unloaded;
  }
  if (name == u"Pause") {
    return (phase == Phase::Loaded && state_.isPlaying()) || (phase == Phase::Opening && state_.playRequested());
  }
  if (name == u"Stop") {
    return (phase == Phase::Loaded && state_.playState() != wmppsStopped) || phase == Phase::Opening;
  }
  if (name == u"CurrentPosition") return phase == Phase::Loaded && seekable_;
  // Scanning and a play list of more than one media are not offered.
  return false;
}

void TMpvPlayer::Play() {
  ApplyAction(state_.Play());
  Collect();
}

void TMpvPlayer::Pause() {
  ApplyAction(state_.Pause());
  Collect();
}

void TMpvPlayer::Stop() {
  ApplyAction(state_.Stop());
  Collect();
}

double TMpvPlayer::Position() const {
  if (!media_) return 0;
  if (seek_.Pending()) return seek_.Target();
  if (state_.phase() != PlayerStateMachine::Phase::Loaded || rewindOnPlay_) return 0;
  return timePos_ > 0 ? timePos_ : 0;
}

void TMpvPlayer::SetPosition(double seconds) {
  using Phase = PlayerStateMachine::Phase;
  if (!media_ || state_.phase() == Phase::Failed || state_.phase() == Phase::NoMedia) return;
  const bool loaded = state_.phase() == Phase::Loaded;
  if (loaded && !seekable_) return;  // the engine would never report the seek done
  if (loaded && ended_ && seconds < media_->duration()) ended_ = false;
  rewindOnPlay_ = false;  // the position put replaces the rewind
  if (auto cmd = seek_.Put(seconds, timePos_, media_->duration(), loaded)) IssueSeek(*cmd);
}

std::u16string TMpvPlayer::PositionString() const {
  if (!media_ || state_.phase() != PlayerStateMachine::Phase::Loaded) return u"";
  return FormatMediaTime(Position());
}

// ---------------------------------------------------------------- settings

void TMpvPlayer::SetVolume(int32_t value) {
  volume_ = ClampVolume(value);
  double v = volume_;
  mpv_set_property_async(mpv_, 0, "volume", MPV_FORMAT_DOUBLE, &v);
}

void TMpvPlayer::SetMute(bool value) {
  mute_ = value;
  SetFlag("mute", value);
}

void TMpvPlayer::SetBalance(int32_t value) {
  const int32_t clamped = ClampBalance(value);
  if (clamped == balance_) return;
  balance_ = clamped;
  const std::string filter = BalanceFilter(balance_);
  const char* text = filter.c_str();
  mpv_set_property_async(mpv_, 0, "af", MPV_FORMAT_STRING, &text);
}

// ---------------------------------------------------------------- engine events

void TMpvPlayer::ProcessMpvEvents() {
  wakeupPending_ = false;
  for (int guard = 0; guard < 10000; ++guard) {
    mpv_event* event = mpv_wait_event(mpv_, 0);
    if (!event || event->event_id == MPV_EVENT_NONE) break;
    HandleEvent(*event);
  }
  Collect();
}

void TMpvPlayer::HandleEvent(const mpv_event& event) {
  switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
      const auto* start = static_cast<const mpv_event_start_file*>(event.data);
      startedEntry_ = start ? start->playlist_entry_id : 0;
      if (IsCurrentEntry()) state_.EngineStarted();
      break;
    }
    case MPV_EVENT_FILE_LOADED:
      if (IsCurrentEntry()) OnFileLoaded();
      break;
    case MPV_EVENT_VIDEO_RECONFIG:
      OnVideoReconfig();
      break;
    case MPV_EVENT_END_FILE: {
      const auto* end = static_cast<const mpv_event_end_file*>(event.data);
      if (!end || !entry_ || end->playlist_entry_id != entry_) break;
      switch (end->reason) {
        case MPV_END_FILE_REASON_EOF:
          entry_ = 0;
          seek_.Reset();
          if (state_.phase() == PlayerStateMachine::Phase::Loaded) {
            state_.EngineReleased();
          } else {
            state_.EngineFailed();
          }
          break;
        case MPV_END_FILE_REASON_ERROR:
          entry_ = 0;
          seek_.Reset();
          state_.EngineFailed();
          break;
        case MPV_END_FILE_REASON_REDIRECT:
          // A play list (a folder, a text file): not a media; never play its entries.
          Unload();
          state_.EngineFailed();
          break;
        default:
          // Our own stops and replacements clear entry_ first; any other end of
          // the current file leaves it stopped rather than opening for ever.
          entry_ = 0;
          seek_.Reset();
          state_.EngineFailed();
          break;
      }
      break;
    }
    case MPV_EVENT_COMMAND_REPLY:
      OnSeekReply(event.reply_userdata, event.error >= 0);
      break;
    case MPV_EVENT_SEEK:
      if (IsCurrentEntry()) seek_.OnSeekStarted();
      break;
    case MPV_EVENT_PLAYBACK_RESTART:
      if (IsCurrentEntry() && state_.phase() == PlayerStateMachine::Phase::Loaded) OnPlaybackRestart();
      break;
    case MPV_EVENT_PROPERTY_CHANGE: {
      const auto* prop = static_cast<const mpv_event_property*>(event.data);
      if (!prop) break;
      const bool has = prop->format != MPV_FORMAT_NONE && prop->data;
      switch (event.reply_userdata) {
        case kObsTimePos:
          if (has && prop->format == MPV_FORMAT_DOUBLE && IsCurrentEntry()) timePos_ = *static_cast<double*>(prop->data);
          break;
        case kObsDuration:
          if (has && prop->format == MPV_FORMAT_DOUBLE && media_ && IsCurrentEntry())
            media_->SetDuration(*static_cast<double*>(prop->data));
          break;
        case kObsPause:
          if (has && prop->format == MPV_FORMAT_FLAG) {
            enginePaused_ = *static_cast<int*>(prop->data) != 0;
            if (!enginePaused_) state_.EngineRunning();
            ReportEnd(EngineEofReached());
          }
          break;
        case kObsEofReached:
          if (has && prop->format == MPV_FORMAT_FLAG) ReportEnd(*static_cast<int*>(prop->data) != 0);
          break;
        case kObsPausedForCache:
          if (has && prop->format == MPV_FORMAT_FLAG) state_.EngineBuffering(*static_cast<int*>(prop->data) != 0);
          break;
        default: break;
      }
      break;
    }
    default: break;
  }
}

bool TMpvPlayer::IsCurrentEntry() const { return entry_ && startedEntry_ == entry_; }

bool TMpvPlayer::EngineEofReached() const {
  int flag = 0;
  return mpv_get_property(mpv_, "eof-reached", MPV_FORMAT_FLAG, &flag) >= 0 && flag;
}

// Every report that may show the end of the file comes here: whether the media
// has ended is the state machine's decision.
void TMpvPlayer::ReportEnd(bool eofReached) {
  if (!IsCurrentEntry()) return;
  const EndReading reading{eofReached, seek_.Pending(), timePos_, media_ ? media_->duration() : 0};
  if (state_.EngineReport(reading)) ended_ = true;
}

// Only seeks are sent as asynchronous commands.
void TMpvPlayer::OnSeekReply(uint64_t id, bool ok) {
  const double duration = media_ ? media_->duration() : 0;
  if (auto cmd = seek_.OnReply(id, ok, timePos_, duration)) {
    IssueSeek(*cmd);
    return;
  }
  if (seek_.Pending()) {
    // A seek the engine answered but never starts would keep its target for ever.
    QTimer::singleShot(SeekController::kStartWaitMs, this, [this, id] { OnSeekStartOverdue(id); });
  } else {
    ReportEnd(EngineEofReached());
  }
}

void TMpvPlayer::OnSeekStartOverdue(uint64_t id) {
  if (auto cmd = seek_.OnStartOverdue(id, timePos_, media_ ? media_->duration() : 0)) {
    IssueSeek(*cmd);
  } else {
    ReportEnd(EngineEofReached());
  }
  Collect();
}

MediaFacts TMpvPlayer::ReadFacts(const std::string& path) const {
  MediaFacts f;
  f.path = path;
  int64_t size = 0;
  if (mpv_get_property(mpv_, "file-size", MPV_FORMAT_INT64, &size) >= 0) f.fileSize = size;
  f.fileType = engineProperty("file-format");
  double duration = 0;
  if (mpv_get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &duration) >= 0 && std::isfinite(duration))
    f.duration = duration;
  if (f.fileSize > 0 && f.duration > 0) f.bitrate = static_cast<int64_t>(std::llround(f.fileSize * 8.0 / f.duration));

  mpv_node tracks;
  if (mpv_get_property(mpv_, "track-list", MPV_FORMAT_NODE, &tracks) >= 0) {
    if (tracks.format == MPV_FORMAT_NODE_ARRAY && tracks.u.list) {
      bool haveVideo = false, haveAudio = false;
      for (int i = 0; i < tracks.u.list->num; ++i) {
        const mpv_node& t = tracks.u.list->values[i];
        const std::string type = NodeString(MapGet(t, "type"));
        const bool selected = NodeFlag(MapGet(t, "selected"));
        if (type == "video" && !NodeFlag(MapGet(t, "albumart")) && (!haveVideo || selected)) {
          haveVideo = true;
          f.videoCodec = NodeString(MapGet(t, "codec"));
          f.width = static_cast<int32_t>(NodeInt(MapGet(t, "demux-w")));
          f.height = static_cast<int32_t>(NodeInt(MapGet(t, "demux-h")));
          f.frameRate = NodeDouble(MapGet(t, "demux-fps"));
          f.videoBitrate = static_cast<int32_t>(NodeInt(MapGet(t, "demux-bitrate")));
        } else if (type == "audio" && (!haveAudio || selected)) {
          haveAudio = true;
          f.audioCodec = NodeString(MapGet(t, "codec"));
          f.audioChannels = static_cast<int32_t>(NodeInt(MapGet(t, "demux-channel-count")));
          f.audioSampleRate = static_cast<int32_t>(NodeInt(MapGet(t, "demux-samplerate")));
          f.audioBitrate = static_cast<int32_t>(NodeInt(MapGet(t, "demux-bitrate")));
        }
      }
    }
    mpv_free_node_contents(&tracks);
  }

  mpv_node meta;
  if (mpv_get_property(mpv_, "metadata", MPV_FORMAT_NODE, &meta) >= 0) {
    if (meta.format == MPV_FORMAT_NODE_MAP && meta.u.list) {
      for (int i = 0; i < meta.u.list->num; ++i)
        f.tags.emplace_back(meta.u.list->keys[i], NodeString(&meta.u.list->values[i]));
    }
    mpv_free_node_contents(&meta);
  }
  return f;
}

void TMpvPlayer::OnFileLoaded() {
  if (!media_) return;
  media_->SetFacts(ReadFacts(media_->path()));
  int seekable = 0;
  seekable_ = mpv_get_property(mpv_, "seekable", MPV_FORMAT_FLAG, &seekable) >= 0 && seekable;
  state_.EngineLoaded();
  if (!seekable_) {
    seek_.Reset();  // a position put while opening cannot be reached
  } else if (auto cmd = seek_.OnLoaded(0, media_->duration())) {
    IssueSeek(*cmd);
  }
}

// Some containers (MPEG-4 part 2 in MP4, for one) leave the picture size to the
// decoder; once it is known the media changes again, as the caption shows it.
void TMpvPlayer::OnVideoReconfig() {
  if (!media_ || !entry_ || state_.phase() != PlayerStateMachine::Phase::Loaded) return;
  int64_t w = 0, h = 0;
  if (mpv_get_property(mpv_, "video-params/w", MPV_FORMAT_INT64, &w) < 0) return;
  if (mpv_get_property(mpv_, "video-params/h", MPV_FORMAT_INT64, &h) < 0) return;
  if (media_->SetPictureSize(w, h)) queue_.push_back({{PlayerEvent::Kind::MediaChange, 0}, media_});
}

void TMpvPlayer::OnPlaybackRestart() {
  double landed = 0;
  if (mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &landed) >= 0) timePos_ = landed;
  if (auto cmd = seek_.OnRestart(timePos_, media_ ? media_->duration() : 0)) {
    IssueSeek(*cmd);
    return;
  }
  if (!enginePaused_) state_.EngineRunning();
  ReportEnd(EngineEofReached());
}

// ---------------------------------------------------------------- firing events

void TMpvPlayer::Collect() {
  for (const PlayerEvent& e : state_.TakeEvents())
    queue_.push_back({e, e.kind == PlayerEvent::Kind::MediaChange ? media_ : nullptr});
  if (queue_.empty() || firePosted_) return;
  firePosted_ = true;
  QMetaObject::invokeMethod(this, [this] { FireQueued(); }, Qt::QueuedConnection);
}

void TMpvPlayer::FireQueued() {
  firePosted_ = false;
  // A handler may call back into the player (or run a nested event loop); what it
  // causes is queued behind the events still waiting, so the order holds.
  while (!queue_.empty()) {
    Queued q = std::move(queue_.front());
    queue_.pop_front();
    try {
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
    } catch (...) {
      Collect();  // the rest still fires, after the error has been shown
      throw;
    }
  }
}

}  // namespace korvane
