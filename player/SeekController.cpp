#include "player/SeekController.h"

#include <cmath>

namespace korvane {

namespace {
constexpr double kSamePosition = 0.001;
constexpr double kMinProgress = 0.01;
}  // namespace

void TSeekController::Reset() {
  const uint64_t sentId = FSentId;
  *this = TSeekController();
  FSentId = sentId;
}

double TSeekController::Clamp(double target, double duration) {
  if (std::isnan(target) || target < 0) target = 0;
  if (duration > 0 && target > duration) target = duration;
  if (std::isinf(target)) target = 0;  // +inf with an unknown duration
  return target;
}

std::optional<SeekCommand> TSeekController::Put(double target, double position, double duration, bool loaded,
                                               SeekPrecision precision) {
  FTarget = Clamp(target, duration);
  precision_ = precision;
  FPending = true;
  if (!loaded) return std::nullopt;
  if (FStage != Stage::Idle) {
    FQueued = true;
    return std::nullopt;
  }
  return Plan(position, duration);
}

std::optional<SeekCommand> TSeekController::OnLoaded(double position, double duration) {
  if (!FPending || FStage != Stage::Idle) return std::nullopt;
  FTarget = Clamp(FTarget, duration);
  return Plan(position, duration);
}

SeekCommand TSeekController::Send(SeekCommand command) {
  command.id = ++FSentId;
  FStage = Stage::Sent;
  FQueued = false;
  return command;
}

std::optional<SeekCommand> TSeekController::Plan(double from, double duration) {
  const double delta = FTarget - from;
  if (std::fabs(delta) < kSamePosition) {
    FPending = false;
    return std::nullopt;
  }
  FOrigin = from;
  FDirection = delta > 0 ? 1 : -1;
  SeekCommand cmd;
  cmd.target = FTarget;
  const bool intoTheEnd = FDirection > 0 && (duration <= 0 || FTarget > duration - kEndGuard);
  switch (precision_) {
    case SeekPrecision::Default: FKeyframe = !intoTheEnd && !FExactOnly; break;
    case SeekPrecision::Fast: FKeyframe = !intoTheEnd; break;
    case SeekPrecision::Exact: FKeyframe = false; break;
  }
  if (FKeyframe) {
    cmd.mode = SeekCommand::Mode::KeyframeRelative;
    cmd.delta = delta;
  } else {
    cmd.mode = SeekCommand::Mode::ExactAbsolute;
  }
  return Send(cmd);
}

std::optional<SeekCommand> TSeekController::OnReply(uint64_t id, bool ok, double position, double duration) {
  if (FStage != Stage::Sent || id != FSentId) return std::nullopt;
  if (ok) {
    FStage = Stage::Replied;
    return std::nullopt;
  }
  return Abandon(position, duration);
}

std::optional<SeekCommand> TSeekController::OnStartOverdue(uint64_t id, double position, double duration) {
  if (FStage != Stage::Replied || id != FSentId) return std::nullopt;
  return Abandon(position, duration);
}

// The seek in flight moved nothing.
std::optional<SeekCommand> TSeekController::Abandon(double position, double duration) {
  FStage = Stage::Idle;
  if (FQueued) return Plan(position, duration);
  FPending = false;
  return std::nullopt;
}

void TSeekController::OnSeekStarted() {
  if (FStage == Stage::Replied) FStage = Stage::Started;
}

std::optional<SeekCommand> TSeekController::OnRestart(double landed, double duration) {
  // Not ours, or not yet: the engine's own restart, or that of a seek given up.
  if (FStage != Stage::Started) return std::nullopt;
  FStage = Stage::Idle;
  if (FQueued) return Plan(landed, duration);
  if (FKeyframe && precision_ != SeekPrecision::Fast) {
    const bool far = std::fabs(landed - FTarget) > kFarFromTarget;
    const bool noProgress = FDirection > 0 ? landed < FOrigin + kMinProgress : landed > FOrigin - kMinProgress;
    if (far || noProgress) {
      FKeyframe = false;
      FExactOnly = FExactOnly || far;
      SeekCommand cmd;
      cmd.mode = SeekCommand::Mode::ExactAbsolute;
      cmd.target = FTarget;
      return Send(cmd);
    }
  }
  FPending = false;
  return std::nullopt;
}

}  // namespace korvane
