#pragma once
// The open state, play state and status text of the player, and the events
// their changes fire, without mpv: the libmpv player feeds it what it asks of
// the engine and what the engine reports, and fires the events it collects.
#include <cstdint>
#include <string>
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

class PlayerStateMachine {
 public:
  enum class Phase {
    NoMedia,   // nothing open
    Opening,   // a file is being opened
    Loaded,    // the engine has the file
    Unloaded,  // a file is the current media but the engine does not hold it (stopped while opening)
    Failed,    // the file could not be opened or decoded
  };

  PlayerStateMachine();

  Phase phase() const { return phase_; }
  int32_t openState() const { return openState_; }
  int32_t playState() const { return playState_; }
  const std::u16string& status() const { return status_; }
  bool playRequested() const { return playRequested_; }
  bool isPlaying() const {
    return playState_ == wmppsPlaying || playState_ == wmppsTransitioning || playState_ == wmppsBuffering;
  }

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
  void EngineEnded();       // the end of the file was reached
  void EngineFailed();      // the file could not be opened or decoded
  void EngineReleased();    // the engine let go of the loaded file after its end; play opens it again
  void EngineBuffering(bool buffering);

  // The events collected since the last call, in firing order.
  std::vector<PlayerEvent> TakeEvents();

 private:
  void SetOpen(int32_t state);
  void SetPlay(int32_t state);
  void SetStatus(const char16_t* text);

  Phase phase_ = Phase::NoMedia;
  int32_t openState_ = wmposUndefined;
  int32_t playState_ = wmppsUndefined;
  std::u16string status_;
  bool playRequested_ = false;
  bool buffering_ = false;
  std::vector<PlayerEvent> events_;
};

}  // namespace korvane
