#include "player/StripRules.h"

#include <algorithm>
#include <cmath>

#include "player/PlayerTime.h"

namespace korvane {

namespace {
constexpr double kHour = 3600;
}  // namespace

TStripState ReadStripState(IWMPCore& player) {
  TStripState state;
  const std::shared_ptr<IWMPMedia> media = player.currentMedia();
  IWMPControls& controls = player.controls();
  state.FHasMedia = media != nullptr;
  state.FSeekable = controls.isAvailable(u"CurrentPosition");
  state.FCanPlay = controls.isAvailable(u"Play");
  state.FCanPause = controls.isAvailable(u"Pause");
  state.FCanStop = controls.isAvailable(u"Stop");
  if (media) {
    state.FPosition = controls.currentPosition();
    state.FDuration = media->duration();
  }
  state.FVolume = player.settings().volume();
  state.FMute = player.settings().mute();
  return state;
}

bool KnownDuration(double duration) { return std::isfinite(duration) && duration > 0; }

bool SeekBarEnabled(const TStripState& state) {
  return state.FHasMedia && state.FSeekable && KnownDuration(state.FDuration);
}

int SeekBarValue(double position, double duration) {
  if (!KnownDuration(duration) || !(position > 0)) return 0;  // also NaN
  const double share = std::min(position / duration, 1.0);
  return static_cast<int>(std::lround(share * kSeekBarSteps));
}

double FractionAtX(int x, int spanLeft, int spanWidth) {
  if (spanWidth <= 0) return 0;
  return std::clamp(static_cast<double>(x - spanLeft) / spanWidth, 0.0, 1.0);
}

std::u16string StripTimeText(double position, double duration) {
  const bool known = KnownDuration(duration);
  const bool hours = position >= kHour || (known && duration >= kHour);
  const std::u16string total = known ? FormatMediaTime(duration, hours) : (hours ? u"--:--:--" : u"--:--");
  return FormatMediaTime(position, hours) + u" / " + total;
}

void TSeekDrag::Press(double fraction, double duration) {
  FActive = true;
  FDuration = duration;
  FSeconds = fraction * duration;
  FStep = static_cast<int>(std::lround(fraction * kSeekBarSteps));
}

std::optional<TSeekRequest> TSeekDrag::Move(double fraction) {
  if (!FActive) return std::nullopt;
  const int step = static_cast<int>(std::lround(fraction * kSeekBarSteps));
  if (step == FStep) return std::nullopt;
  FStep = step;
  FSeconds = fraction * FDuration;
  return TSeekRequest{FSeconds, SeekPrecision::Fast};
}

std::optional<TSeekRequest> TSeekDrag::Release(double fraction) {
  if (!FActive) return std::nullopt;
  FActive = false;
  FSeconds = fraction * FDuration;
  return TSeekRequest{FSeconds, SeekPrecision::Exact};
}

}  // namespace korvane
