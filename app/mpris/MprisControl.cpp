#include "app/mpris/MprisControl.h"

#include <algorithm>
#include <cmath>

#include "base/Paths.h"
#include "base/Utf.h"

namespace korvane {

namespace {

constexpr double kUsPerSecond = 1e6;

std::string TrackId(int mediaIndex) { return "/org/korvane/Korvane/Track/" + std::to_string(mediaIndex); }

int64_t ToUs(double seconds) { return std::isfinite(seconds) ? std::llround(seconds * kUsPerSecond) : 0; }

}  // namespace

std::string PlaybackStatusName(int32_t playState) {
  switch (playState) {
    case wmppsPlaying:
    case wmppsScanForward:
    case wmppsScanReverse:
    case wmppsBuffering:
      return "Playing";
    case wmppsPaused:
      return "Paused";
    default:
      return "Stopped";
  }
}

std::string FileUrl(const std::string& path) { return "file://" + PercentEncodePath(path); }

MprisTrack CurrentTrack(IWMPCore& player, int mediaIndex) {
  MprisTrack track;
  std::shared_ptr<IWMPMedia> media = player.currentMedia();
  if (!media) return track;
  if (mediaIndex >= 0) track.id = TrackId(mediaIndex);
  track.title = ToDisplayText(media->name());
  track.url = FileUrl(ToNarrow(player.URL()));
  track.lengthUs = std::max<int64_t>(0, ToUs(media->duration()));
  return track;
}

MprisSnapshot TakeSnapshot(IWMPCore& player, const IMprisTarget& target) {
  MprisSnapshot snapshot;
  snapshot.status = PlaybackStatusName(target.PlayState());
  snapshot.track = CurrentTrack(player, target.MediaIndex());
  snapshot.volume = MprisVolume(player);
  snapshot.rate = player.settings().rate();
  snapshot.canSeek = !snapshot.track.url.empty();
  return snapshot;
}

int64_t PositionUs(IWMPCore& player) {
  if (!player.currentMedia()) return 0;
  return ToUs(player.controls().currentPosition());
}

void SeekByUs(IWMPCore& player, int64_t offsetUs) {
  if (!player.currentMedia()) return;
  IWMPControls& controls = player.controls();
  controls.setCurrentPosition(controls.currentPosition() + static_cast<double>(offsetUs) / kUsPerSecond);
}

bool SetPositionUs(IWMPCore& player, int mediaIndex, const std::string& trackId, int64_t positionUs) {
  const MprisTrack track = CurrentTrack(player, mediaIndex);
  if (track.id == kNoTrackId || trackId != track.id) return false;
  if (positionUs < 0 || (track.lengthUs > 0 && positionUs > track.lengthUs)) return false;
  player.controls().setCurrentPosition(static_cast<double>(positionUs) / kUsPerSecond);
  return true;
}

bool PositionJumped(int64_t lastUs, int64_t nowUs, int64_t elapsedUs, bool playing) {
  constexpr int64_t kDriftUs = 1'000'000;
  const int64_t expected = lastUs + (playing ? elapsedUs : 0);
  return nowUs > expected + kDriftUs || nowUs < lastUs - kDriftUs;
}

double MprisVolume(IWMPCore& player) { return player.settings().volume() / 100.0; }

void SetMprisVolume(IWMPCore& player, double volume) {
  if (std::isnan(volume)) return;
  player.settings().setVolume(static_cast<int32_t>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0)));
}

}  // namespace korvane
