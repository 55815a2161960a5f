#include "player/SeekController.h"

#include <cmath>

namespace korvane {

namespace {
constexpr double kSamePosition = 0.001;
constexpr double kMinProgress = 0.01;
}  // namespace

void SeekController::Reset() {
  const uint64_t sentId = sentId_;
  *this = SeekController();
  sentId_ = sentId;
}

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
  if (stage_ != Stage::Idle) {
    queued_ = true;
    return std::nullopt;
  }
  return Plan(position, duration);
}

std::optional<SeekCommand> SeekController::OnLoaded(double position, double duration) {
  if (!pending_ || stage_ != Stage::Idle) return std::nullopt;
  target_ = Clamp(target_, duration);
  return Plan(position, duration);
}

SeekCommand SeekController::Send(SeekCommand command) {
  command.id = ++sentId_;
  stage_ = Stage::Sent;
  queued_ = false;
  return command;
}

std::optional<SeekCommand> SeekController::Plan(double from, double duration) {
  const double delta = target_ - from;
  if (std::fabs(delta) < kSamePosition) {
    pending_ = false;
    return std::nullopt;
  }
  origin_ = from;
  direction_ = delta > 0 ? 1 : -1;
  SeekCommand cmd;
  cmd.target = target_;
  const bool intoTheEnd = direction_ > 0 && (duration <= 0 || target_ > duration - kEndGuard);
  keyframe_ = !intoTheEnd && !exactOnly_;
  if (keyframe_) {
    cmd.mode = SeekCommand::Mode::KeyframeRelative;
    cmd.delta = delta;
  } else {
    cmd.mode = SeekCommand::Mode::ExactAbsolute;
  }
  return Send(cmd);
}

std::optional<SeekCommand> SeekController::OnReply(uint64_t id, bool ok, double position, double duration) {
  if (stage_ != Stage::Sent || id != sentId_) return std::nullopt;
  if (ok) {
    stage_ = Stage::Replied;
    return std::nullopt;
  }
  return Abandon(position, duration);
}

std::optional<SeekCommand> SeekController::OnStartOverdue(uint64_t id, double position, double duration) {
  if (stage_ != Stage::Replied || id != sentId_) return std::nullopt;
  return Abandon(position, duration);
}

// The seek in flight moved nothing.
std::optional<SeekCommand> SeekController::Abandon(double position, double duration) {
  stage_ = Stage::Idle;
  if (queued_) return Plan(position, duration);
  pending_ = false;
  return std::nullopt;
}

void SeekController::OnSeekStarted() {
  if (stage_ == Stage::Replied) stage_ = Stage::Started;
}

std::optional<SeekCommand> SeekController::OnRestart(double landed, double duration) {
  // Not ours, or not yet: the engine's own restart, or that of a seek given up.
  if (stage_ != Stage::Started) return std::nullopt;
  stage_ = Stage::Idle;
  if (queued_) return Plan(landed, duration);
  if (keyframe_) {
    const bool far = std::fabs(landed - target_) > kFarFromTarget;
    const bool noProgress = direction_ > 0 ? landed < origin_ + kMinProgress : landed > origin_ - kMinProgress;
    if (far || noProgress) {
      keyframe_ = false;
      exactOnly_ = exactOnly_ || far;
      SeekCommand cmd;
      cmd.mode = SeekCommand::Mode::ExactAbsolute;
      cmd.target = target_;
      return Send(cmd);
    }
  }
  pending_ = false;
  return std::nullopt;
}

}  // namespace korvane
