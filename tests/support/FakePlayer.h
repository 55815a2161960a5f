#pragma once
// A scriptable stand-in for the player, for logic tests that need no decoder.
// It keeps the state a real player would (URL, media, status, play and open
// states, position, settings), records every call that changes something,
// fires the events a user of the player would see, and throws TPlayerError from
// any call a test asks to fail.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "player/Player.h"

namespace korvane::test {

// What the fake reports about a media; set per path with TFakePlayer::SetMedia.
struct FakeMediaInfo {
  std::u16string name;  // empty: the file name without folder and extension
  double duration = 296.12;
  std::u16string durationString = u"04:56";
  int32_t width = 640;
  int32_t height = 480;
  std::vector<std::pair<std::u16string, std::u16string>> attributes;
};

class TFakePlayer;

class TFakeMedia : public IWMPMedia {
 public:
  TFakeMedia(TFakePlayer& owner, std::u16string url, FakeMediaInfo info);
  std::u16string name() override;
  std::u16string sourceURL() override;
  double duration() override;
  std::u16string durationString() override;
  int32_t imageSourceWidth() override;
  int32_t imageSourceHeight() override;
  int32_t attributeCount() override;
  std::u16string getAttributeName(int32_t index) override;
  std::u16string getItemInfo(const std::u16string& attributeName) override;

 private:
  TFakePlayer& FOwner;
  std::u16string FUrl;
  FakeMediaInfo FInfo;
};

class TFakePlayer : public IWMPCore, public IWMPControls, public IWMPSettings {
 public:
  // Texts the fake reports while playing and paused (ready and stopped use the
  // program's kStatusReady / kStatusStopped).
  static constexpr char16_t kStatusPlaying[] = u"再生中";
  static constexpr char16_t kStatusPaused[] = u"一時停止";

  TFakePlayer();

  // --- scripting -----------------------------------------------------------
  // Media reported for a URL; any other URL gets FakeMediaInfo's defaults.
  void SetMedia(const std::u16string& url, FakeMediaInfo info) { FMediaInfo[url] = std::move(info); }
  // The next `times` calls of the named method throw TPlayerError. Names are the
  // method names of the interfaces ("play", "setURL", "status", "currentPosition",
  // "setCurrentPosition", "currentMedia", "duration", "setVolume", ...).
  void FailNext(const std::string& method, int times = 1) { FFailures[method] += times; }
  // Plays the current media to its end: position at the duration, play state
  // MediaEnded then Stopped, status "停止".
  void FinishMedia();
  // Fires the Click event as the player would for a click at (x, y).
  void Click(int16_t button, int16_t shiftState, int32_t x, int32_t y);
  // Fires Click, then DoubleClick, as the player does for a double click at (x, y).
  void DoubleClick(int16_t button, int16_t shiftState, int32_t x, int32_t y);

  // Every changing call in order: "play", "stop", "pause", "setURL <url>",
  // "setCurrentPosition <seconds>", "setVolume <n>", "setMute <0|1>",
  // "setBalance <n>", "setRate <r>", "setStretchToFit <0|1>", "SetObjectRects <l,t,r,b>".
  std::vector<std::string> Calls;
  std::vector<std::u16string> URLsPut;
  std::vector<double> PositionsPut;
  std::vector<PlayerRect> ObjectRects;

  // Plain state, readable and writable by tests.
  std::u16string Status = kStatusReady;
  int32_t PlayState = wmppsUndefined;
  int32_t OpenState = wmposUndefined;
  double Position = 0;
  std::u16string PositionString;  // "" while nothing has played
  int32_t Volume = 50;
  bool Mute = false;
  int32_t Balance = 0;
  double Rate = 1.0;
  bool StretchToFit = false;
  std::u16string VersionInfo = u"1.0.0.fake";
  // false: "Play", "Pause", "Stop" are always available. true: as a real
  // player, "Play" unless playing, "Pause" only while playing, "Stop" with media.
  bool AvailabilityFollowsState = false;

  // --- IWMPCore --------------------------------------------------------------
  std::string className() const override { return "TFakePlayer"; }
  std::u16string URL() override;
  void setURL(const std::u16string& url) override;
  std::u16string status() override;
  std::u16string versionInfo() override;
  IWMPControls& controls() override;
  IWMPSettings& settings() override;
  std::shared_ptr<IWMPMedia> currentMedia() override;
  bool stretchToFit() override;
  void setStretchToFit(bool value) override;
  void SetObjectRects(const PlayerRect& position, const PlayerRect& clip) override;
  void setEvents(WMPEvents events) override { FEvents = std::move(events); }

  // --- IWMPControls ------------------------------------------------------------
  bool isAvailable(const std::u16string& name) override;
  void play() override;
  void stop() override;
  void pause() override;
  double currentPosition() override;
  void setCurrentPosition(double seconds) override;
  std::u16string currentPositionString() override;

  // --- IWMPSettings -------------------------------------------------------------
  bool autoStart() override;
  int32_t balance() override;
  void setBalance(int32_t value) override;
  std::u16string baseURL() override;
  std::u16string defaultFrame() override;
  bool enableErrorDialogs() override;
  bool invokeURLs() override;
  bool mute() override;
  void setMute(bool value) override;
  int32_t playCount() override;
  double rate() override;
  void setRate(double value) override;
  int32_t volume() override;
  void setVolume(int32_t value) override;
  bool getMode(const std::u16string& mode) override;

  // Throws TPlayerError when a failure of `method` is pending; used by the media too.
  void Check(const std::string& method);

 private:
  void SetPlayState(int32_t state);
  void SetOpenState(int32_t state);
  void SetStatus(std::u16string text);

  std::u16string FUrl;
  std::shared_ptr<TFakeMedia> FMedia;
  std::map<std::u16string, FakeMediaInfo> FMediaInfo;
  std::map<std::string, int> FFailures;
  WMPEvents FEvents;
};

}  // namespace korvane::test
