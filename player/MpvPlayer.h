#pragma once
// The player control over libmpv: one mpv_handle per player, events taken
// from mpv's wakeup callback onto the GUI thread and fired there, the picture
// drawn through mpv's render API into the widget of widget().
#include <QObject>
#include <QPointer>
#include <atomic>
#include <deque>
#include <memory>
#include <string>

#include "player/MediaInfo.h"
#include "player/Player.h"
#include "player/PlayerStateMachine.h"
#include "player/SeekController.h"

struct mpv_handle;
struct mpv_event;
class QWidget;

namespace korvane {

class TMpvVideoWidget;
class TMpvRenderWindow;

struct MpvPlayerOptions {
  // vo=null, ao=null, no render context: for tests, runs without any display.
  bool headless = false;
  // mpv's audio output ("" = the system's default, falling back to none).
  std::string audioOutput;
};

class TMpvMedia : public IWMPMedia {
 public:
  TMpvMedia(std::u16string url, std::string path);
  std::u16string name() override { return name_; }
  std::u16string sourceURL() override { return url_; }
  double duration() override { return facts_.duration > 0 ? facts_.duration : 0; }
  std::u16string durationString() override;
  int32_t imageSourceWidth() override { return facts_.width; }
  int32_t imageSourceHeight() override { return facts_.height; }
  int32_t attributeCount() override { return attributes_.count(); }
  std::u16string getAttributeName(int32_t index) override;
  std::u16string getItemInfo(const std::u16string& attributeName) override;

  const std::string& path() const { return path_; }
  void SetFacts(MediaFacts facts);
  void SetDuration(double seconds);
  // Fills in a picture size the container did not declare; true when it changed.
  bool SetPictureSize(int64_t width, int64_t height);

 private:
  std::u16string url_;
  std::string path_;
  std::u16string name_;
  MediaFacts facts_;
  MediaAttributes attributes_;
};

class TMpvPlayer : public QObject, public IWMPCore {
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

  // For tests and the benchmark: an mpv property as text ("" when it has none),
  // the current play and open states, and whether video is drawn.
  std::string engineProperty(const char* name) const;
  int32_t playState() const { return state_.playState(); }
  int32_t openState() const { return state_.openState(); }
  bool rendersVideo() const;
  bool seekPending() const { return seek_.Pending(); }
  int framesRendered() const;

 private:
  class Controls;
  class Settings;
  friend class Controls;
  friend class Settings;

  // Controls and settings.
  bool ControlAvailable(const std::u16string& name) const;
  void Play();
  void Pause();
  void Stop();
  double Position() const;
  void SetPosition(double seconds);
  std::u16string PositionString() const;
  void SetVolume(int32_t value);
  void SetMute(bool value);
  void SetBalance(int32_t value);

  // Engine.
  void Load();
  void Unload();
  void ApplyAction(PlayerStateMachine::Action action);
  void IssueSeek(const SeekCommand& command);
  void SetFlag(const char* name, bool value);
  void ProcessMpvEvents();
  void HandleEvent(const mpv_event& event);
  void OnFileLoaded();
  void OnVideoReconfig();
  void OnPlaybackRestart();
  void OnSeekReply(uint64_t id, bool ok);
  void OnSeekStartOverdue(uint64_t id);
  bool IsCurrentEntry() const;
  bool EngineEofReached() const;
  void ReportEnd(bool eofReached);
  MediaFacts ReadFacts(const std::string& path) const;

  // Events.
  void Collect();
  void FireQueued();

  MpvPlayerOptions options_;
  mpv_handle* mpv_ = nullptr;
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

  // Cached engine properties (observed).
  double timePos_ = 0;
  bool ended_ = false;         // the media ended: play starts again from the beginning
  bool rewindOnPlay_ = false;  // stopped: the position reads 0 and play starts there
  bool enginePaused_ = true;

  // Settings, as the control keeps them.
  int32_t volume_ = 50;
  bool mute_ = false;
  int32_t balance_ = 0;
  bool stretchToFit_ = false;

  WMPEvents events_;
  struct Queued {
    PlayerEvent event;
    std::shared_ptr<TMpvMedia> media;
  };
  std::deque<Queued> queue_;
  bool firePosted_ = false;
};

}  // namespace korvane
