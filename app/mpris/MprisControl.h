#pragma once
// What the desktop media controls see of the program and how their commands
// map onto it, without any bus: the play status, the open track, the volume,
// and the seek and position commands over the player. The bus service
// (app/mpris/MprisService.h) only translates between these and D-Bus values.
#include <cstdint>
#include <string>

#include "player/Player.h"

namespace korvane {

// What the controls need from the main window beyond the player itself.
class IMprisTarget {
 public:
  virtual ~IMprisTarget() = default;
  virtual void NextMedia() = 0;
  virtual void PrevMedia() = 0;
  // Brings the main window to the front.
  virtual void Raise() = 0;
  // The play state the player reported last (a WMPPlayState number).
  virtual int32_t PlayState() const = 0;
  // The list index of the open media; -1 without one.
  virtual int MediaIndex() const = 0;
};

// The object path of a track that is not there.
inline constexpr char kNoTrackId[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

// "Playing", "Paused" or "Stopped" for a play state number.
std::string PlaybackStatusName(int32_t playState);
// A "file://" URL for an absolute path; every byte but unreserved ones and "/"
// is percent-encoded, so names that are not UTF-8 survive.
std::string FileUrl(const std::string& path);

struct MprisTrack {
  std::string id = kNoTrackId;  // object path built from the list index
  std::string title;
  std::string url;
  int64_t lengthUs = 0;  // 0 while unknown
  bool operator==(const MprisTrack&) const = default;
};

// Everything the controls show; compared to tell what changed.
struct MprisSnapshot {
  std::string status = "Stopped";
  MprisTrack track;
  double volume = 0;
  double rate = 1;
  bool canSeek = false;
  bool operator==(const MprisSnapshot&) const = default;
};

MprisTrack CurrentTrack(IWMPCore& player, int mediaIndex);
MprisSnapshot TakeSnapshot(IWMPCore& player, const IMprisTarget& target);

// The position in microseconds; 0 without media.
int64_t PositionUs(IWMPCore& player);
// Moves the position by the offset, unclamped like the program's skips;
// nothing without media.
void SeekByUs(IWMPCore& player, int64_t offsetUs);
// Goes to the position when the track is the open one and the position lies
// within it; anything else is ignored. True when the position was put.
bool SetPositionUs(IWMPCore& player, int mediaIndex, const std::string& trackId, int64_t positionUs);
// Whether the position moved other than by playing on since the last look,
// `elapsedUs` ago: a skip or jump, forwards or back. A stall is no jump, and a
// second of drift is allowed.
bool PositionJumped(int64_t lastUs, int64_t nowUs, int64_t elapsedUs, bool playing);
// Volume as 0..1 over the player's 0..100.
double MprisVolume(IWMPCore& player);
void SetMprisVolume(IWMPCore& player, double volume);

}  // namespace korvane
