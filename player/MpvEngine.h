#pragma once
// One libmpv core set up for the player: created with the options every player
// uses, the properties the player follows observed, and the few calls the
// player makes of it. A player owns one; nothing here holds a player's state,
// so several cores can run side by side.
#include <cstdint>
#include <string>

#include "player/MediaInfo.h"
#include "player/SeekController.h"

struct mpv_handle;

namespace korvane {

struct MpvPlayerOptions {
  // vo=null, ao=null, no render context: for tests, runs without any display.
  bool headless = false;
  // mpv's audio output ("" = the system's default, falling back to none).
  std::string audioOutput;
  // For tests: load replies read as from a core that names no play-list entry.
  bool loadRepliesWithoutEntry = false;
};

class TMpvEngine {
 public:
  // The reply ids of the observed properties' change notices.
  enum Observed : uint64_t {
    kObsTimePos = 1,
    kObsDuration,
    kObsPause,
    kObsEofReached,
    kObsPausedForCache,
  };

  // Creates and starts the core; throws TPlayerError when it cannot.
  explicit TMpvEngine(const MpvPlayerOptions& options);
  ~TMpvEngine();
  TMpvEngine(const TMpvEngine&) = delete;
  TMpvEngine& operator=(const TMpvEngine&) = delete;

  mpv_handle* Handle() const { return FMpv; }

  // Reads, synchronous: "", false, or a false return when the property has no value now.
  std::string Text(const char* name) const;
  bool Flag(const char* name) const;
  bool Double(const char* name, double& value) const;
  bool Int(const char* name, int64_t& value) const;
  // What the loaded file is, read from the engine.
  MediaFacts ReadFacts(const std::string& path) const;
  // "mpv 0.x (libmpv 2.y, FFmpeg z)".
  std::string VersionText() const;

  // Writes, asynchronous: they never wait for the core.
  void SetFlag(const char* name, bool value);
  void SetDouble(const char* name, double value);
  void SetText(const char* name, const std::string& value);
  // A write the next read already sees.
  void SetTextNow(const char* name, const std::string& value);

  // Replaces whatever the core plays with the file; its play-list entry id, 0
  // on failure, a reply without the id among them.
  int64_t LoadFile(const std::string& path);
  // Drops the file, synchronously: an asynchronous stop could overtake a load issued right after it.
  void StopFile();
  // Drops the file without waiting: for a core that is not current.
  void StopFileLater();
  // Sends the seek with its reply id (see TSeekController).
  void Seek(const SeekCommand& command);

 private:
  mpv_handle* FMpv = nullptr;
  bool FLoadRepliesWithoutEntry = false;
};

}  // namespace korvane
