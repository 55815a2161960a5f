#pragma once
// The seek logic of the player, without mpv: which seek to ask the engine for,
// and the position to report while a seek is under way.
//
// mpv offers two seeks: a keyframe seek (cheap; a relative one snaps to the
// next keyframe in the direction of the move, an absolute one always snaps
// backwards) and an exact seek (decodes from the keyframe before the target
// up to the target, so it costs up to a whole GOP of decoding). The plan:
//  - a relative keyframe seek in the direction of the move, so a skip never
//    lands on the keyframe it started from (no stuck and no wrong-way skips);
//  - an exact seek instead when moving forward into the last kEndGuard seconds,
//    where there may be no keyframe ahead and a forward snap would run off the end;
//  - an exact follow-up to the target when the keyframe seek landed more than
//    kFarFromTarget seconds away from it, or did not move in the right direction
//    (long GOPs), so the error of a skip stays small at the price of one decode.
// While a seek is under way the target is the position reported, and further
// puts only replace the target; the next seek starts from where the previous
// one landed, so quick repeated skips add up and the engine never queues them.
#include <optional>

namespace korvane {

struct SeekCommand {
  enum class Mode { KeyframeRelative, ExactAbsolute };
  Mode mode = Mode::ExactAbsolute;
  double target = 0;  // absolute seconds (ExactAbsolute)
  double delta = 0;   // seconds from the position it was planned on (KeyframeRelative)
};

class SeekController {
 public:
  static constexpr double kFarFromTarget = 3.0;
  static constexpr double kEndGuard = 10.0;

  // A new file, a close or a stop: forget every target.
  void Reset();

  // The target is clamped to [0, duration] (duration <= 0: unknown, only the
  // lower bound); NaN counts as 0. Before the media is loaded the target is
  // only kept; OnLoaded issues it.
  std::optional<SeekCommand> Put(double target, double position, double duration, bool loaded);
  std::optional<SeekCommand> OnLoaded(double position, double duration);
  // The engine finished a seek (MPV_EVENT_PLAYBACK_RESTART) at `landed`.
  std::optional<SeekCommand> OnRestart(double landed, double duration);

  // True from a put until the engine has reached its target.
  bool Pending() const { return pending_; }
  double Target() const { return target_; }
  bool InFlight() const { return inflight_; }

 private:
  std::optional<SeekCommand> Plan(double from, double duration);
  static double Clamp(double target, double duration);

  bool pending_ = false;   // a target is set and not yet reached
  bool inflight_ = false;  // the engine is seeking for us
  bool queued_ = false;    // the target changed while in flight
  bool keyframe_ = false;  // the seek in flight is the keyframe stage
  double target_ = 0;
  double origin_ = 0;
  int direction_ = 0;
};

}  // namespace korvane
