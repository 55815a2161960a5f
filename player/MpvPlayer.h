#pragma once
// The player control over libmpv: the engine core that plays, and standby
// cores opening the neighbours ahead; events taken from mpv's wakeup callback
// onto the GUI thread and fired there, the picture drawn through mpv's render
// API into the widget of widget().
// The command side (the program's calls) is in MpvPlayer.cpp, the event pump
// (the engine's reports and the events fired from them) in MpvPlayerEvents.cpp,
// the opening ahead and the swap to a standby in MpvPlayerStandby.cpp.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <deque>
#include <memory>
#include <string>

#include "player/MpvEngine.h"
#include "player/MpvMedia.h"
#include "player/MpvStandby.h"
#include "player/NeighbourHint.h"
#include "player/Player.h"
#include "player/PlayerStateMachine.h"
#include "player/SeekController.h"

struct mpv_event;
struct mpv_event_end_file;
struct mpv_event_property;
class QWidget;

namespace korvane {

class TMpvVideoWidget;
class TMpvRenderWindow;

class TMpvPlayer : public QObject, public IWMPCore, public INeighbourHint {
  Q_OBJECT
 public:
  explicit TMpvPlayer(QWidget* parent, MpvPlayerOptions options = {});
  ~TMpvPlayer() override;
  TMpvPlayer(const TMpvPlayer&) = delete;
  TMpvPlayer& operator=(const TMpvPlayer&) = delete;

  // The picture, to be placed in the main window's panel.
  QWidget* widget() const;

  std::string className() const override { return "TMpvPlayer"; }
  std::u16string URL() override { return url_; }
  void setURL(const std::u16string& url) override;
  std::u16string status() override { return state_.status(); }
  std::u16string versionInfo() override;
  IWMPControls& controls() override;
  IWMPSettings& settings() override;
  std::shared_ptr<IWMPMedia> currentMedia() override { return media_; }
  bool stretchToFit() override { return stretchToFit_; }
  void setStretchToFit(bool value) override;
  void SetObjectRects(const PlayerRect& position, const PlayerRect& clip) override;
  void setEvents(WMPEvents events) override { events_ = std::move(events); }

  // The neighbours are opened ahead in standby cores a moment after the last
  // hint (a held-down key opens nothing ahead); opening one of them then takes
  // over its core, firing the events of an open all the same.
  void HintNeighbours(const std::string& prev, const std::string& next) override;

  // The picture's end, at its window's close (whose native windows Qt destroys
  // right after): every render thread stops and nothing more is opened ahead.
  // The media may play on unseen until the player goes.
  void StopDrawing();

  // For tests and the benchmark: an mpv property as text ("" when it has none),
  // the current play and open states, and whether video is drawn.
  std::string engineProperty(const char* name) const;
  int32_t playState() const { return state_.playState(); }
  int32_t openState() const { return state_.openState(); }
  bool rendersVideo() const;
  bool seekPending() const { return seek_.Pending(); }
  int framesRendered() const;
  int standbysReady() const { return standbys_ ? standbys_->ReadyCount() : 0; }
  int standbysFailed() const { return standbys_ ? standbys_->FailedCount() : 0; }
  int standbyOpens() const { return standbys_ ? standbys_->OpenCount() : 0; }

 private:
  class Controls;
  class Settings;
  friend class Controls;
  friend class Settings;

  // Controls and settings.
  void Play();
  void Pause();
  void Stop();
  double Position() const;
  void SetPosition(double seconds);
  std::u16string PositionString() const;
  void SetVolume(int32_t value);
  void SetMute(bool value);
  void SetBalance(int32_t value);
  void SetRate(double value);

  // Engine commands.
  void Load();
  void Unload();
  void ApplyAction(PlayerStateMachine::Action action);
  void RewindIfFinished();
  double Duration() const;

  // Standby cores (MpvPlayerStandby.cpp).
  void OpenAhead();
  bool AdoptStandby();
  void ApplySettingsToEngine();
  void WatchEngine();

  // Engine reports.
  void ProcessMpvEvents();
  void HandleEvent(const mpv_event& event);
  void OnStartFile(int64_t entry);
  void OnEndFile(const mpv_event_end_file& end);
  void OnPropertyChange(uint64_t id, const mpv_event_property& property);
  void OnFileLoaded();
  void OnVideoReconfig();
  void OnPlaybackRestart();
  void OnSeekReply(uint64_t id, bool ok);
  void OnSeekStartOverdue(uint64_t id);
  bool IsCurrentEntry() const;
  void ReportEnd(bool eofReached);

  // Events.
  void Collect();
  void FireQueued();

  MpvPlayerOptions options_;
  std::unique_ptr<TMpvEngine> engine_;
  QPointer<TMpvVideoWidget> widget_;
  QPointer<TMpvRenderWindow> renderWindow_;
  std::unique_ptr<Controls> controls_;
  std::unique_ptr<Settings> settings_;
  std::atomic<bool> wakeupPending_{false};

  std::u16string url_;
  std::shared_ptr<TMpvMedia> media_;
  PlayerStateMachine state_;
  SeekController seek_;
  bool loadPending_ = false;  // a put URL waits for the event loop to be loaded
  int64_t entry_ = 0;         // playlist entry of the current file in mpv, 0: none
  int64_t startedEntry_ = 0;  // entry of the last MPV_EVENT_START_FILE
  bool seekable_ = false;

  // What the engine last showed, and where play starts.
  double timePos_ = 0;
  bool ended_ = false;         // the media ended: play starts again from the beginning
  bool rewindOnPlay_ = false;  // stopped: the position reads 0 and play starts there
  bool enginePaused_ = true;

  // Settings, as the control keeps them.
  int32_t volume_ = 50;
  bool mute_ = false;
  int32_t balance_ = 0;
  double rate_ = 1.0;
  bool stretchToFit_ = false;

  std::unique_ptr<TMpvStandbys> standbys_;
  bool drawingStopped_ = false;
  std::unique_ptr<QTimer> openAheadTimer_;
  std::string hintPrev_, hintNext_, hintCurrent_;  // the last hint, and the file current then

  WMPEvents events_;
  struct Queued {
    PlayerEvent event;
    std::shared_ptr<TMpvMedia> media;
  };
  void Fire(const Queued& q);
  std::deque<Queued> queue_;
  bool firePosted_ = false;
};

}  // namespace korvane
