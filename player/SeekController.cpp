#include "player/SeekController.h"

#include <cmath>

namespace korvane {

namespace {
constexpr double kSamePosition = 0.001;
constexpr double kMinProgress = 0.01;
}  // namespace

void SeekController::Reset() { *this = SeekController(); }

double SeekController::Clamp(double target, double duration) {
  if (std::isnan(target) || target < 0) target = 0;
  if (duration > 0 && target > duration) target = duration;
  if (std::isinf(target)) target = 0;  // +inf with an unknown duration
  return target;
}

std::optional<SeekCommand> SeekController::Put(double target, double position, double duration, bool loaded) {
  target_ = Clamp(target, duration);
  pending_ = true;
  if (!loaded) return std::nullopt;
  if (inflight_) {
    queued_ = true;
    return std::nullopt;
  }
  return Plan(position, duration);
}

std::optional<SeekCommand> SeekController::OnLoaded(double position, double duration) {
  if (!pending_ || inflight_) return std::nullopt;
  target_ = Clamp(target_, duration);
  return Plan(position, duration);
}

std::optional<SeekCommand> SeekController::Plan(double from, double duration) {
  const double delta = target_ - from;
  if (std::fabs(delta) < kSamePosition) {
    pending_ = false;
    return std::nullopt;
  }
  origin_ = from;
  direction_ = delta > 0 ? 1 : -1;
  inflight_ = true;
  queued_ = false;
  SeekCommand cmd;
  const bool intoTheEnd = direction_ > 0 && (duration <= 0 || target_ > duration - kEndGuard);
  if (intoTheEnd) {
    keyframe_ = false;
    cmd.mode = SeekCommand::Mode::ExactAbsolute;
    cmd.target = target_;
  } else {
    keyframe_ = true;
    cmd.mode = SeekCommand::Mode::KeyframeRelative;
    cmd.target = target_;
    cmd.delta = delta;
  }
  return cmd;
}

std::optional<SeekCommand> SeekController::OnRestart(double landed, double duration) {
  if (!inflight_) return std::nullopt;  // the engine's own seek, or one for a target already reached
  inflight_ = false;
  if (queued_) return Plan(landed, duration);
  if (keyframe_) {
    const bool far = std::fabs(landed - target_) > kFarFromTarget;
    const bool noProgress = direction_ > 0 ? landed < origin_ + kMinProgress : landed > origin_ - kMinProgress;
    if (far || noProgress) {
      keyframe_ = false;
      inflight_ = true;
      SeekCommand cmd;
      cmd.mode = SeekCommand::Mode::ExactAbsolute;
      cmd.target = target_;
      return cmd;
    }
  }
  pending_ = false;
  return std::nullopt;
}

}  // namespace korvane
