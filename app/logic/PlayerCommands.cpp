#include "app/logic/PlayerCommands.h"

#include <cmath>
#include <utility>

#include "base/Format.h"
#include "base/Utf.h"

namespace korvane {

void SkipBy(IWMPCore& player, int seconds) {
  if (!player.currentMedia()) return;
  IWMPControls& controls = player.controls();
  controls.setCurrentPosition(controls.currentPosition() + static_cast<double>(seconds));
}

void RewindToStart(IWMPCore& player) {
  if (!player.currentMedia()) return;
  player.controls().setCurrentPosition(0.0);
}

void JumpToEndMinus10(IWMPCore& player) {
  std::shared_ptr<IWMPMedia> media = player.currentMedia();
  if (!media) return;
  player.controls().setCurrentPosition(media->duration() - 10.0);
}

void JumpToPercent(IWMPCore& player, int percent) {
  std::shared_ptr<IWMPMedia> media = player.currentMedia();
  if (!media || !player.controls().isAvailable(u"CurrentPosition")) return;
  const double duration = media->duration();
  if (!std::isfinite(duration) || duration <= 0) return;
  player.controls().setCurrentPosition(duration * percent / 100.0);
}

void SetVolumeOrToggleMute(IWMPCore& player, int tag) {
  IWMPSettings& settings = player.settings();
  if (tag < 0) settings.setMute(!settings.mute());
  else settings.setVolume(tag);
}

bool InClickZone(int x, int y, int width, int height) {
  constexpr int kSide = 50;
  constexpr int kBottom = 100;
  return x >= kSide && x < width - kSide && y >= 0 && y < height - kBottom;
}

std::string MediaCaption(const std::string& title, IWMPMedia& media) {
  const std::string name = ToDisplayText(media.name());
  const int width = media.imageSourceWidth();
  const int height = media.imageSourceHeight();
  return Format("%s %dx%D %s", {title, width, height, name});
}

void TPictureClicks::Click(bool inZone) {
  FClickToggled = inZone;
  if (inZone) TogglePlayPause(FPlayer);
}

void TPictureClicks::DoubleClick() {
  if (std::exchange(FClickToggled, false)) TogglePlayPause(FPlayer);
}

}  // namespace korvane
