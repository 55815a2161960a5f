// The command side of the libmpv player: construction, the program's calls on
// the control and its settings, and what they ask of the engine.
#include "player/MpvPlayer.h"

#include <mpv/client.h>
#include <sys/stat.h>

#include <cmath>
#include <utility>

#include "base/Utf.h"
#include "player/AudioBalance.h"
#include "player/MpvVideoWidget.h"
#include "player/PlayerTime.h"

namespace korvane {

namespace {

// A file the engine may be given: an existing regular file (a folder would be
// opened as a play list of its files, a device could block).
bool IsPlayableFile(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

// ---------------------------------------------------------------- controls and settings

class TMpvPlayer::Controls : public IWMPControls {
 public:
  explicit Controls(TMpvPlayer& p) : p_(p) {}
  bool isAvailable(const std::u16string& name) override { return p_.state_.ControlAvailable(name, p_.seekable_); }
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
  double rate() override { return p_.rate_; }
  void setRate(double value) override { p_.SetRate(value); }
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
    : options_(options),
      engine_(std::make_unique<TMpvEngine>(options_)),
      controls_(std::make_unique<Controls>(*this)),
      settings_(std::make_unique<Settings>(*this)) {
  widget_ = TMpvVideoWidget::Create(parent, engine_->handle(), !options_.headless);
  renderWindow_ = widget_->renderWindow();
  widget_->SetClickSink([this](int16_t button, int16_t shift, int32_t x, int32_t y) {
    if (events_.Click) events_.Click(button, shift, x, y);
  });
  widget_->SetDoubleClickSink([this](int16_t button, int16_t shift, int32_t x, int32_t y) {
    if (events_.DoubleClick) events_.DoubleClick(button, shift, x, y);
  });
  WatchEngine();
}

TMpvPlayer::~TMpvPlayer() {
  mpv_set_wakeup_callback(engine_->handle(), nullptr, nullptr);
  standbys_.reset();  // their windows before the widget that holds them
  // The render context goes before the core; then the picture's widget.
  if (renderWindow_) renderWindow_->FreeRenderContext();
  engine_.reset();
  delete widget_.data();
}

void TMpvPlayer::StopDrawing() {
  drawingStopped_ = true;
  if (openAheadTimer_) openAheadTimer_->stop();
  standbys_.reset();
  if (renderWindow_) renderWindow_->FreeRenderContext();
}

QWidget* TMpvPlayer::widget() const { return widget_.data(); }

IWMPControls& TMpvPlayer::controls() { return *controls_; }

IWMPSettings& TMpvPlayer::settings() { return *settings_; }

bool TMpvPlayer::rendersVideo() const { return renderWindow_ && renderWindow_->HasRenderContext(); }

int TMpvPlayer::framesRendered() const { return renderWindow_ ? renderWindow_->FramesRendered() : 0; }

std::string TMpvPlayer::engineProperty(const char* name) const { return engine_->Text(name); }

std::u16string TMpvPlayer::versionInfo() { return ToWide(engine_->VersionText()); }

// ---------------------------------------------------------------- engine commands

double TMpvPlayer::Duration() const { return media_ ? media_->duration() : 0; }

void TMpvPlayer::Load() {
  loadPending_ = false;
  if (!media_) return;
  timePos_ = 0;
  ended_ = false;
  rewindOnPlay_ = false;
  seekable_ = false;
  if (AdoptStandby()) return;
  engine_->SetFlag("pause", !state_.playRequested());
  entry_ = engine_->LoadFile(media_->path());
  if (!entry_) state_.EngineFailed();
}

void TMpvPlayer::Unload() {
  loadPending_ = false;
  entry_ = 0;
  seek_.Reset();
  timePos_ = 0;
  ended_ = false;
  rewindOnPlay_ = false;
  engine_->StopFile();
}

void TMpvPlayer::ApplyAction(PlayerStateMachine::Action action) {
  using Action = PlayerStateMachine::Action;
  switch (action) {
    case Action::None: break;
    case Action::Unpause: engine_->SetFlag("pause", false); break;
    case Action::Pause: engine_->SetFlag("pause", true); break;
    case Action::StopAndRewind:
      // The rewind waits for play: a stop is mostly followed by another file,
      // and a seek the engine would run first only delays opening it.
      engine_->SetFlag("pause", true);
      seek_.Reset();
      rewindOnPlay_ = true;
      break;
    case Action::Unload: Unload(); break;
    case Action::Reload: Load(); break;
  }
}

// Play after a stop or the end starts again from the beginning.
void TMpvPlayer::RewindIfFinished() {
  if (state_.phase() != PlayerStateMachine::Phase::Loaded || !(ended_ || rewindOnPlay_)) return;
  ended_ = false;
  rewindOnPlay_ = false;
  if (auto cmd = seek_.Put(0, timePos_, Duration(), true)) engine_->Seek(*cmd);
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
  const std::string path = AbsoluteMediaPath(ToNarrow(url));
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
  engine_->SetTextNow("video-unscaled", value ? "no" : "downscale-big");
}

void TMpvPlayer::SetObjectRects(const PlayerRect& position, const PlayerRect&) {
  if (!widget_) return;
  widget_->setGeometry(position.left, position.top, std::max(0, position.right - position.left),
                       std::max(0, position.bottom - position.top));
}

// ---------------------------------------------------------------- controls

void TMpvPlayer::Play() {
  const PlayerStateMachine::Action action = state_.Play();
  if (action == PlayerStateMachine::Action::Unpause) RewindIfFinished();
  ApplyAction(action);
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
  if (auto cmd = seek_.Put(seconds, timePos_, media_->duration(), loaded)) engine_->Seek(*cmd);
}

std::u16string TMpvPlayer::PositionString() const {
  if (!media_ || state_.phase() != PlayerStateMachine::Phase::Loaded) return u"";
  return FormatMediaTime(Position());
}

// ---------------------------------------------------------------- settings

void TMpvPlayer::SetVolume(int32_t value) {
  volume_ = ClampVolume(value);
  engine_->SetDouble("volume", volume_);
}

void TMpvPlayer::SetMute(bool value) {
  mute_ = value;
  engine_->SetFlag("mute", value);
}

void TMpvPlayer::SetBalance(int32_t value) {
  const int32_t clamped = ClampBalance(value);
  if (clamped == balance_) return;
  balance_ = clamped;
  engine_->SetText("af", AudioFilterChain(balance_, rate_));
}

void TMpvPlayer::SetRate(double value) {
  if (!std::isfinite(value) || value <= 0 || value == rate_) return;
  rate_ = value;
  engine_->SetDouble("speed", rate_);
  engine_->SetText("af", AudioFilterChain(balance_, rate_));
}

}  // namespace korvane
