#pragma once
// The media player control as the rest of the program sees it: the core, its
// controls, settings and media, and its events. No toolkit or decoder types
// appear here; the libmpv implementation and the test fake both implement it.
// Strings are UTF-16, as the control gives and takes them (base/Utf.h converts).
// A call the player cannot carry out throws TPlayerError.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace korvane {

class TPlayerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Published play-state numbers (indexes of PlayStateNames).
enum WMPPlayState : int32_t {
  wmppsUndefined = 0,
  wmppsStopped = 1,
  wmppsPaused = 2,
  wmppsPlaying = 3,
  wmppsScanForward = 4,
  wmppsScanReverse = 5,
  wmppsBuffering = 6,
  wmppsWaiting = 7,
  wmppsMediaEnded = 8,
  wmppsTransitioning = 9,
  wmppsReady = 10,
};

// Published open-state numbers (indexes of OpenStateNames).
enum WMPOpenState : int32_t {
  wmposUndefined = 0,
  wmposPlaylistChanging = 1,
  wmposPlaylistOpenNoMedia = 6,
  wmposMediaChanging = 8,
  wmposMediaLocating = 9,
  wmposMediaConnecting = 10,
  wmposMediaLoading = 11,
  wmposMediaOpening = 12,
  wmposMediaOpen = 13,
  wmposMediaWaiting = 20,
};

// Status texts the program steers by.
inline constexpr char16_t kStatusReady[] = u"準備完了";
inline constexpr char16_t kStatusStopped[] = u"停止";

class IWMPControls {
 public:
  virtual ~IWMPControls() = default;
  // Names: "Play", "Pause", "Stop", "FastForward", "FastReverse", "Next",
  // "Previous", "CurrentPosition"; any other name is false.
  virtual bool isAvailable(const std::u16string& name) = 0;
  virtual void play() = 0;
  virtual void stop() = 0;
  virtual void pause() = 0;
  // Seconds. A get right after a put gives the position put until playback
  // has reached it; a put beyond either end is clamped by the player.
  virtual double currentPosition() = 0;
  virtual void setCurrentPosition(double seconds) = 0;
  // "MM:SS" ("HH:MM:SS" from an hour); empty without media.
  virtual std::u16string currentPositionString() = 0;
};

class IWMPSettings {
 public:
  virtual ~IWMPSettings() = default;
  virtual bool autoStart() = 0;
  virtual int32_t balance() = 0;
  virtual void setBalance(int32_t value) = 0;  // -100..100, clamped
  virtual std::u16string baseURL() = 0;
  virtual std::u16string defaultFrame() = 0;
  virtual bool enableErrorDialogs() = 0;
  virtual bool invokeURLs() = 0;
  virtual bool mute() = 0;
  virtual void setMute(bool value) = 0;
  virtual int32_t playCount() = 0;
  virtual double rate() = 0;
  virtual void setRate(double value) = 0;  // 1 is normal speed; the pitch stays
  virtual int32_t volume() = 0;
  virtual void setVolume(int32_t value) = 0;  // 0..100, clamped
  virtual bool isAvailable(const std::u16string& name) = 0;  // "Rate", ...
  virtual bool getMode(const std::u16string& mode) = 0;      // "loop", "shuffle", ...
};

class IWMPMedia {
 public:
  virtual ~IWMPMedia() = default;
  // The title tag when the media has one, else the file name without folder and extension.
  virtual std::u16string name() = 0;
  virtual std::u16string sourceURL() = 0;
  virtual double duration() = 0;  // seconds, 0 while unknown
  virtual std::u16string durationString() = 0;
  virtual int32_t imageSourceWidth() = 0;  // 0 without a picture
  virtual int32_t imageSourceHeight() = 0;
  virtual int32_t attributeCount() = 0;
  virtual std::u16string getAttributeName(int32_t index) = 0;
  virtual std::u16string getItemInfo(const std::u16string& attributeName) = 0;
};

// Position and size of the player inside its panel, in pixels.
struct PlayerRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Event sinks; each is called on the GUI thread, any may be empty.
struct WMPEvents {
  std::function<void(int32_t newState)> OpenStateChange;
  std::function<void(int32_t newState)> PlayStateChange;
  std::function<void()> StatusChange;
  std::function<void(IWMPMedia& item)> MediaChange;
  // Button and shift state as the control reports them; x, y relative to the control.
  std::function<void(int16_t button, int16_t shiftState, int32_t x, int32_t y)> Click;
  // The second press of a double click; its first click came as a Click.
  std::function<void(int16_t button, int16_t shiftState, int32_t x, int32_t y)> DoubleClick;
  // The full-screen item of the player's context menu was chosen.
  std::function<void()> FullScreenToggle;
};

class IWMPCore {
 public:
  virtual ~IWMPCore() = default;
  // The class name of the component, as the properties report names it.
  virtual std::string className() const = 0;

  // Putting a path opens it; putting "" closes the media. Get: the open path or "".
  virtual std::u16string URL() = 0;
  virtual void setURL(const std::u16string& url) = 0;
  virtual std::u16string status() = 0;
  virtual std::u16string versionInfo() = 0;
  virtual IWMPControls& controls() = 0;
  virtual IWMPSettings& settings() = 0;
  // Null when no media is loaded.
  virtual std::shared_ptr<IWMPMedia> currentMedia() = 0;

  // IWMPPlayer4::stretchToFit.
  virtual bool stretchToFit() = 0;
  virtual void setStretchToFit(bool value) = 0;
  // IOleInPlaceObject::SetObjectRects: the picture's place in its panel.
  virtual void SetObjectRects(const PlayerRect& position, const PlayerRect& clip) = 0;

  // Replaces every event sink.
  virtual void setEvents(WMPEvents events) = 0;
};

// Plays when the player can play, else pauses when it can pause: what Space,
// a click on the picture and the player's own play/pause controls do.
inline void TogglePlayPause(IWMPCore& player) {
  IWMPControls& controls = player.controls();
  if (controls.isAvailable(u"Play")) controls.play();
  else if (controls.isAvailable(u"Pause")) controls.pause();
}

}  // namespace korvane
