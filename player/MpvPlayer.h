#pragma once
// The player control over libmpv: the engine core that plays, and standby
// cores opening the neighbours ahead; events taken from mpv's wakeup callback
// onto the GUI thread and fired there, the picture drawn through mpv's render
// API into the widget of Widget().
// The command side (the program's calls) is in MpvPlayer.cpp, the event pump
// (the engine's reports and the events fired from them) in MpvPlayerEvents.cpp,
// the opening ahead and the swap to a standby in MpvPlayerStandby.cpp.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <deque>
#include <climits>
#include <memory>
#include <optional>
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
class TPlayerArea;
class TSeekPreview;

class TMpvPlayer : public QObject, public IWMPCore, public INeighbourHint {
  Q_OBJECT
 public:
  explicit TMpvPlayer(QWidget* parent, MpvPlayerOptions options = {});
  ~TMpvPlayer() override;
  TMpvPlayer(const TMpvPlayer&) = delete;
  TMpvPlayer& operator=(const TMpvPlayer&) = delete;

  // The picture with the control strip under it, to be placed in the main window's panel.
  QWidget* Widget() const;

  // A position put with a precision of its own: the strip's drag and release.
  void SeekTo(double seconds, SeekPrecision precision);

  std::string className() const override { return "TMpvPlayer"; }
  std::u16string URL() override { return FUrl; }
  void setURL(const std::u16string& url) override;
  std::u16string status() override { return FState.status(); }
  std::u16string versionInfo() override;
  IWMPControls& controls() override;
  IWMPSettings& settings() override;
  std::shared_ptr<IWMPMedia> currentMedia() override { return FMedia; }
  bool stretchToFit() override { return FStretchToFit; }
  void setStretchToFit(bool value) override;
  void SetObjectRects(const PlayerRect& position, const PlayerRect& clip) override;
  void setEvents(WMPEvents events) override { FEvents = std::move(events); }

  // The neighbours are opened ahead in standby cores once the current file's
  // first picture is up (a held-down key opens nothing ahead per repeat);
  // opening one of them then takes over its core, firing the events of an open
  // all the same. The core left keeps its file for a way back.
  void HintNeighbours(const std::string& prev, const std::string& next) override;

  // The picture's end, at its window's close (whose native windows Qt destroys
  // right after): every render thread stops and nothing more is opened ahead.
  // The media may play on unseen until the player goes.
  void StopDrawing();

  // For tests and the benchmark: an mpv property as text ("" when it has none),
  // the current play and open states, and whether video is drawn.
  std::string EngineProperty(const char* name) const;
  int32_t playState() const { return FState.playState(); }
  int32_t openState() const { return FState.openState(); }
  bool RendersVideo() const;
  bool SeekPending() const { return FSeek.Pending(); }
  int FramesRendered() const;
  int StandbysReady() const { return FStandbys ? FStandbys->ReadyCount() : 0; }
  int StandbysFailed() const { return FStandbys ? FStandbys->FailedCount() : 0; }
  int StandbyOpens() const { return FStandbys ? FStandbys->OpenCount() : 0; }
  int OwnOpens() const { return FOwnOpens; }  // files the current core opened itself

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
  void SetPosition(double seconds, SeekPrecision precision = SeekPrecision::Default);
  std::u16string PositionString() const;
  void SetVolume(int32_t value);
  void SetMute(bool value);
  void SetBalance(int32_t value);
  void SetRate(double value);

  // Engine commands.
  void Load();
  void Unload();
  void ApplyAction(TPlayerStateMachine::Action action);
  void RewindIfFinished();
  double Duration() const;

  // Standby cores (MpvPlayerStandby.cpp).
  void ScheduleOpenAhead();
  bool FirstPictureUp() const;
  void OpenAhead();
  bool AdoptStandby();
  void ApplySettingsToEngine();
  void WatchEngine();

  // The picture, the control strip and the context menu in the player's area.
  void BuildArea(QWidget* parent);
  void ShowContextMenu(const QPoint& at);
  void HoverPreview(double seconds, const QPoint& at);

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

  MpvPlayerOptions FOptions;
  std::unique_ptr<TMpvEngine> FEngine;
  QPointer<TPlayerArea> area_;
  QPointer<TMpvVideoWidget> FWidget;
  QPointer<TMpvRenderWindow> FRenderWindow;
  std::unique_ptr<Controls> FControls;
  std::unique_ptr<Settings> FSettings;
  std::atomic<bool> FWakeupPending{false};

  std::u16string FUrl;
  std::shared_ptr<TMpvMedia> FMedia;
  TPlayerStateMachine FState;
  TSeekController FSeek;
  bool FLoadPending = false;  // a put URL waits for the event loop to be loaded
  int FOwnOpens = 0;
  int64_t FEntry = 0;         // playlist entry of the current file in mpv, 0: none
  int64_t FStartedEntry = 0;  // entry of the last MPV_EVENT_START_FILE
  bool FSeekable = false;

  // What the engine last showed, and where play starts.
  double FTimePos = 0;
  bool FEnded = false;         // the media ended: play starts again from the beginning
  bool FRewindOnPlay = false;  // stopped: the position reads 0 and play starts there
  bool FEnginePaused = true;

  // Settings, as the control keeps them.
  int32_t FVolume = 50;
  bool FMute = false;
  int32_t FBalance = 0;
  double FRate = 1.0;
  bool FStretchToFit = false;

  std::unique_ptr<TMpvStandbys> FStandbys;
  std::unique_ptr<TSeekPreview> preview_;  // made at the first hover of the seek bar
  bool FDrawingStopped = false;
  std::unique_ptr<QTimer> FOpenAheadTimer;
  bool FOpenAheadDue = false;  // a hint waits for the current file's first picture
  std::string FHintPrev, FHintNext, FHintCurrent;  // the last hint, and the file current then
  int64_t FLastMoveMs = INT64_MIN, FMoveBeforeMs = INT64_MIN;  // when the current file last changed, and before
  FileStamp FMediaStamp;                  // the current file's when the core opened it
  std::optional<TMpvStandbys::Left> FLeft;  // what the core holds while a new URL waits to be loaded

  WMPEvents FEvents;
  struct Queued {
    PlayerEvent event;
    std::shared_ptr<TMpvMedia> media;
  };
  void Fire(const Queued& q);
  std::deque<Queued> FQueue;
  bool FFirePosted = false;
};

}  // namespace korvane
