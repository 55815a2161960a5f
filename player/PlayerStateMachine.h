#pragma once
// The open state, play state and status text of the player, and the events
// their changes fire, without mpv: the libmpv player feeds it what it asks of
// the engine and what the engine reports, and fires the events it collects.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "player/Player.h"

namespace korvane {

struct PlayerEvent {
  enum class Kind { OpenState, PlayState, Status, MediaChange };
  Kind kind;
  int32_t state = 0;  // OpenState, PlayState
  bool operator==(const PlayerEvent&) const = default;
};

// Status texts beside kStatusReady and kStatusStopped.
inline constexpr char16_t kStatusOpening[] = u"メディアを開いています";
inline constexpr char16_t kStatusStarting[] = u"再生を開始しています";
inline constexpr char16_t kStatusPlaying[] = u"再生中";
inline constexpr char16_t kStatusPaused[] = u"一時停止";
inline constexpr char16_t kStatusBuffering[] = u"バッファリング中";

// What one report of the engine shows of the end of the current file.
struct EndReading {
  bool eofReached = false;  // the engine's eof-reached, as notified or read
  bool seeking = false;     // a seek is under way: where the engine stands is not where it goes
  double position = 0;      // seconds
  double duration = 0;      // 0: unknown
};

class TPlayerStateMachine {
 public:
  enum class Phase {
    NoMedia,   // nothing open
    Opening,   // a file is being opened
    Loaded,    // the engine has the file
    Unloaded,  // a file is the current media but the engine does not hold it (stopped while opening)
    Failed,    // the file could not be opened or decoded
  };

  TPlayerStateMachine();

  Phase CurrentPhase() const { return FPhase; }
  int32_t openState() const { return FOpenState; }
  int32_t playState() const { return FPlayState; }
  const std::u16string& status() const { return FStatus; }
  bool PlayRequested() const { return FPlayRequested; }
  bool IsPlaying() const {
    return FPlayState == wmppsPlaying || FPlayState == wmppsTransitioning || FPlayState == wmppsBuffering;
  }

  // Whether the control's "Play", "Pause", "Stop" or "CurrentPosition" can be used
  // now (the position only of a seekable media); scanning and a play list of
  // more than one media are not offered.
  bool ControlAvailable(std::u16string_view name, bool seekable) const;

  // Requests (the program's calls). Each returns what the engine must do.
  void Open();  // URL put with a path: the engine loads it, paused unless play is requested
  void Close(); // URL put with "": the engine drops the file
  // Unload: drop the load in progress; Reload: load the current file again.
  enum class Action { None, Unpause, Pause, StopAndRewind, Unload, Reload };
  Action Play();
  Action Pause();
  Action Stop();

  // Engine reports.
  void EngineStarted();     // MPV_EVENT_START_FILE of the current file
  void EngineLoaded();      // MPV_EVENT_FILE_LOADED
  void EngineRunning();     // playback runs: the first PLAYBACK_RESTART or pause became false
  // Any report that may show the end (a restart, a change of pause, eof-reached):
  // the loaded media has ended when AtEnd says so; the first time, MediaEnded,
  // Stopped and "停止" follow. True when it has ended.
  bool EngineReport(const EndReading& reading);
  void EngineFailed();      // the file could not be opened or decoded
  void EngineReleased();    // the engine let go of the loaded file after its end; play opens it again
  void EngineBuffering(bool buffering);

  // The one decision that a media has ended: the engine reached the end of the
  // file or stands at its duration, and no seek is under way.
  static bool AtEnd(const EndReading& reading);

  // The events collected since the last call, in firing order.
  std::vector<PlayerEvent> TakeEvents();

 private:
  void SetOpen(int32_t state);
  void SetPlay(int32_t state);
  void SetStatus(const char16_t* text);
  void End();

  Phase FPhase = Phase::NoMedia;
  int32_t FOpenState = wmposUndefined;
  int32_t FPlayState = wmppsUndefined;
  std::u16string FStatus;
  bool FPlayRequested = false;
  bool FBuffering = false;
  std::vector<PlayerEvent> FEvents;
};

}  // namespace korvane
