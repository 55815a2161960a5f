// The command side of the libmpv player: construction, the program's calls on
// the control and its settings, and what they ask of the engine.
#include "player/MpvPlayer.h"

#include <mpv/client.h>
#include <sys/stat.h>

#include <cmath>
#include <utility>

#include "base/Utf.h"
#include "player/AudioBalance.h"
#include "player/ControlStrip.h"
#include "player/MpvVideoWidget.h"
#include "player/PlayerArea.h"
#include "player/PlayerContextMenu.h"
#include "player/SeekPreview.h"
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
  explicit Controls(TMpvPlayer& p) : FP(p) {}
  bool isAvailable(const std::u16string& name) override { return FP.FState.ControlAvailable(name, FP.FSeekable); }
  void play() override { FP.Play(); }
  void stop() override { FP.Stop(); }
  void pause() override { FP.Pause(); }
  double currentPosition() override { return FP.Position(); }
  void setCurrentPosition(double seconds) override { FP.SetPosition(seconds); }
  std::u16string currentPositionString() override { return FP.PositionString(); }

 private:
  TMpvPlayer& FP;
};

class TMpvPlayer::Settings : public IWMPSettings {
 public:
  explicit Settings(TMpvPlayer& p) : FP(p) {}
  bool autoStart() override { return false; }
  int32_t balance() override { return FP.FBalance; }
  void setBalance(int32_t value) override { FP.SetBalance(value); }
  std::u16string baseURL() override { return u""; }
  std::u16string defaultFrame() override { return u""; }
  bool enableErrorDialogs() override { return false; }
  bool invokeURLs() override { return false; }
  bool mute() override { return FP.FMute; }
  void setMute(bool value) override { FP.SetMute(value); }
  int32_t playCount() override { return 1; }
  double rate() override { return FP.FRate; }
  void setRate(double value) override { FP.SetRate(value); }
  int32_t volume() override { return FP.FVolume; }
  void setVolume(int32_t value) override { FP.SetVolume(value); }
  bool isAvailable(const std::u16string& name) override {
    if (name == u"Balance" || name == u"Volume" || name == u"Mute") return true;
    // The engine can change the rate of a loaded, seekable media.
    if (name == u"Rate") return FP.FState.CurrentPhase() == TPlayerStateMachine::Phase::Loaded && FP.FSeekable;
    return false;
  }
  bool getMode(const std::u16string& mode) override {
    // The control's defaults: autoRewind on; loop, shuffle and showFrame off.
    return mode == u"autoRewind";
  }

 private:
  TMpvPlayer& FP;
};

// ---------------------------------------------------------------- construction

TMpvPlayer::TMpvPlayer(QWidget* parent, MpvPlayerOptions options)
    : FOptions(options),
      FEngine(std::make_unique<TMpvEngine>(FOptions)),
      FControls(std::make_unique<Controls>(*this)),
      FSettings(std::make_unique<Settings>(*this)) {
  BuildArea(parent);
  FWidget->SetClickSink([this](int16_t button, int16_t shift, int32_t x, int32_t y) {
    if (FEvents.Click) FEvents.Click(button, shift, x, y);
  });
  FWidget->SetDoubleClickSink([this](int16_t button, int16_t shift, int32_t x, int32_t y) {
    if (FEvents.DoubleClick) FEvents.DoubleClick(button, shift, x, y);
  });
  FWidget->SetContextMenuSink([this](const QPoint& at) { ShowContextMenu(at); });
  WatchEngine();
}

void TMpvPlayer::BuildArea(QWidget* parent) {
  area_ = new TPlayerArea(parent);
  area_->resize(712, 415);
  FWidget = TMpvVideoWidget::Create(area_, FEngine->Handle(), !FOptions.headless);
  FRenderWindow = FWidget->RenderWindow();
  auto* strip = new TControlStrip(area_, *this, [this](const TSeekRequest& request) {
    SeekTo(request.FSeconds, request.FPrecision);
  });
  strip->SeekBar().SetPreviewHooks({[this](double seconds, const QPoint& at) { HoverPreview(seconds, at); },
                                     [this] { if (preview_) preview_->Leave(); }});
  area_->SetParts(FWidget, strip);
  if (parent) area_->show();  // also when the panel is already on screen
}

void TMpvPlayer::HoverPreview(double seconds, const QPoint& at) {
  if (!FMedia || FDrawingStopped) return;
  if (!preview_) preview_ = std::make_unique<TSeekPreview>(area_);
  preview_->Hover(FMedia->Path(), FMedia->imageSourceWidth() > 0, seconds, at);
}

void TMpvPlayer::ShowContextMenu(const QPoint& at) {
  const bool fullScreen = area_->window()->isFullScreen();
  ShowPlayerContextMenu(area_, *this, at, fullScreen, [this] {
    if (FEvents.FullScreenToggle) FEvents.FullScreenToggle();
  });
}

TMpvPlayer::~TMpvPlayer() {
  mpv_set_wakeup_callback(FEngine->Handle(), nullptr, nullptr);
  preview_.reset();
  FStandbys.reset();  // their windows before the widget that holds them
  // The render context goes before the core; then the picture's widget.
  if (FRenderWindow) FRenderWindow->FreeRenderContext();
  FEngine.reset();
  delete area_.data();
}

void TMpvPlayer::StopDrawing() {
  FDrawingStopped = true;
  preview_.reset();  // its core and thread end with the others
  if (FOpenAheadTimer) FOpenAheadTimer->stop();
  FStandbys.reset();
  if (FRenderWindow) FRenderWindow->FreeRenderContext();
}

QWidget* TMpvPlayer::Widget() const { return area_.data(); }

void TMpvPlayer::SeekTo(double seconds, SeekPrecision precision) { SetPosition(seconds, precision); }

IWMPControls& TMpvPlayer::controls() { return *FControls; }

IWMPSettings& TMpvPlayer::settings() { return *FSettings; }

bool TMpvPlayer::RendersVideo() const { return FRenderWindow && FRenderWindow->HasRenderContext(); }

int TMpvPlayer::FramesRendered() const { return FRenderWindow ? FRenderWindow->FramesRendered() : 0; }

std::string TMpvPlayer::EngineProperty(const char* name) const { return FEngine->Text(name); }

std::u16string TMpvPlayer::versionInfo() { return ToWide(FEngine->VersionText()); }

// ---------------------------------------------------------------- engine commands

double TMpvPlayer::Duration() const { return FMedia ? FMedia->duration() : 0; }

void TMpvPlayer::Load() {
  FLoadPending = false;
  if (!FMedia) return;
  FTimePos = 0;
  FEnded = false;
  FRewindOnPlay = false;
  FSeekable = false;
  if (AdoptStandby()) return;
  FLeft.reset();  // the core's file is replaced
  FEngine->SetFlag("pause", !FState.PlayRequested());
  FMediaStamp = StampOf(FMedia->Path()).value_or(FileStamp{});  // before the engine reads it
  FEntry = FEngine->LoadFile(FMedia->Path());
  ++FOwnOpens;
  if (!FEntry) FState.EngineFailed();
}

void TMpvPlayer::Unload() {
  FLoadPending = false;
  FLeft.reset();
  FEntry = 0;
  FSeek.Reset();
  FTimePos = 0;
  FEnded = false;
  FRewindOnPlay = false;
  FEngine->StopFile();
}

void TMpvPlayer::ApplyAction(TPlayerStateMachine::Action action) {
  using Action = TPlayerStateMachine::Action;
  switch (action) {
    case Action::None: break;
    case Action::Unpause: FEngine->SetFlag("pause", false); break;
    case Action::Pause: FEngine->SetFlag("pause", true); break;
    case Action::StopAndRewind:
      // The rewind waits for play: a stop is mostly followed by another file,
      // and a seek the engine would run first only delays opening it.
      FEngine->SetFlag("pause", true);
      FSeek.Reset();
      FRewindOnPlay = true;
      break;
    case Action::Unload: Unload(); break;
    case Action::Reload: Load(); break;
  }
}

// Play after a stop or the end starts again from the beginning.
void TMpvPlayer::RewindIfFinished() {
  if (FState.CurrentPhase() != TPlayerStateMachine::Phase::Loaded || !(FEnded || FRewindOnPlay)) return;
  FEnded = false;
  FRewindOnPlay = false;
  if (auto cmd = FSeek.Put(0, FTimePos, Duration(), true)) FEngine->Seek(*cmd);
}

// ---------------------------------------------------------------- core properties

void TMpvPlayer::setURL(const std::u16string& url) {
  if (url.empty()) {
    if (FMedia || FEntry || FLoadPending) Unload();
    FUrl.clear();
    FMedia.reset();
    FState.Close();
    Collect();
    return;
  }
  FUrl = url;
  // Should a standby take over, the core keeps this file for a way back.
  if (FMedia && IsCurrentEntry() && FState.CurrentPhase() == TPlayerStateMachine::Phase::Loaded)
    FLeft = TMpvStandbys::Left{FMedia->Path(), FMediaStamp, FEntry};
  // From here on the engine's reports of the previous file are not the current
  // file's: a late end of it would otherwise fail the new one.
  FEntry = 0;
  const std::string path = AbsoluteMediaPath(ToNarrow(url));
  FMedia = std::make_shared<TMpvMedia>(url, path);
  FSeek.Reset();  // a position put from here on waits for the file to open
  FState.Open();
  if (IsPlayableFile(path)) {
    // Loaded from the event loop, right after the caller's handler: a play that
    // follows at once then starts the file unpaused instead of unpausing it
    // while it opens, which costs the engine a second start.
    FLoadPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (std::exchange(FLoadPending, false)) Load();  // replaces the previous file
          Collect();
        },
        Qt::QueuedConnection);
  } else {
    Unload();  // the previous file must not play on
    FState.EngineFailed();
  }
  Collect();
}

void TMpvPlayer::setStretchToFit(bool value) {
  FStretchToFit = value;
  FEngine->SetTextNow("video-unscaled", value ? "no" : "downscale-big");
}

void TMpvPlayer::SetObjectRects(const PlayerRect& position, const PlayerRect&) {
  if (!area_) return;
  area_->setGeometry(position.left, position.top, std::max(0, position.right - position.left),
                       std::max(0, position.bottom - position.top));
}

// ---------------------------------------------------------------- controls

void TMpvPlayer::Play() {
  const TPlayerStateMachine::Action action = FState.Play();
  if (action == TPlayerStateMachine::Action::Unpause) RewindIfFinished();
  ApplyAction(action);
  Collect();
}

void TMpvPlayer::Pause() {
  ApplyAction(FState.Pause());
  Collect();
}

void TMpvPlayer::Stop() {
  ApplyAction(FState.Stop());
  Collect();
}

double TMpvPlayer::Position() const {
  if (!FMedia) return 0;
  if (FSeek.Pending()) return FSeek.Target();
  if (FState.CurrentPhase() != TPlayerStateMachine::Phase::Loaded || FRewindOnPlay) return 0;
  return FTimePos > 0 ? FTimePos : 0;
}

void TMpvPlayer::SetPosition(double seconds, SeekPrecision precision) {
  using Phase = TPlayerStateMachine::Phase;
  if (!FMedia || FState.CurrentPhase() == Phase::Failed || FState.CurrentPhase() == Phase::NoMedia) return;
  const bool loaded = FState.CurrentPhase() == Phase::Loaded;
  if (loaded && !FSeekable) return;  // the engine would never report the seek done
  if (loaded && FEnded && seconds < FMedia->duration()) FEnded = false;
  FRewindOnPlay = false;  // the position put replaces the rewind
  if (auto cmd = FSeek.Put(seconds, FTimePos, FMedia->duration(), loaded, precision)) FEngine->Seek(*cmd);
}

std::u16string TMpvPlayer::PositionString() const {
  if (!FMedia || FState.CurrentPhase() != TPlayerStateMachine::Phase::Loaded) return u"";
  return FormatMediaTime(Position());
}

// ---------------------------------------------------------------- settings

void TMpvPlayer::SetVolume(int32_t value) {
  FVolume = ClampVolume(value);
  FEngine->SetDouble("volume", FVolume);
}

void TMpvPlayer::SetMute(bool value) {
  FMute = value;
  FEngine->SetFlag("mute", value);
}

void TMpvPlayer::SetBalance(int32_t value) {
  const int32_t clamped = ClampBalance(value);
  if (clamped == FBalance) return;
  FBalance = clamped;
  FEngine->SetText("af", AudioFilterChain(FBalance, FRate));
}

void TMpvPlayer::SetRate(double value) {
  if (!std::isfinite(value) || value <= 0 || value == FRate) return;
  FRate = value;
  FEngine->SetDouble("speed", FRate);
  FEngine->SetText("af", AudioFilterChain(FBalance, FRate));
}

}  // namespace korvane
