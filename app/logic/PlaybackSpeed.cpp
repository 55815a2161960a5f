#include "app/logic/PlaybackSpeed.h"

#include <cmath>
#include <iterator>

#include "base/Format.h"

namespace korvane {

namespace {

// Rates read back through the player may differ from a step in the last bits.
constexpr double kSameRate = 1e-6;

}  // namespace

double FasterSpeed(double rate) {
  for (const double step : kSpeedSteps)
    if (step > rate + kSameRate) return step;
  return std::end(kSpeedSteps)[-1];
}

double SlowerSpeed(double rate) {
  for (auto step = std::rbegin(kSpeedSteps); step != std::rend(kSpeedSteps); ++step)
    if (*step < rate - kSameRate) return *step;
  return kSpeedSteps[0];
}

std::string SpeedText(double rate) {
  if (!std::isfinite(rate) || std::fabs(rate - 1.0) < kSameRate) return "";
  return Format("×%.2f", {rate});
}

void ChangeSpeed(IWMPCore& player, int direction) {
  IWMPSettings& settings = player.settings();
  if (direction > 0) settings.setRate(FasterSpeed(settings.rate()));
  else if (direction < 0) settings.setRate(SlowerSpeed(settings.rate()));
  else settings.setRate(1.0);
}

}  // namespace korvane
