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
//    (long GOPs), so the error of a skip stays small at the price of one decode;
//  - once that happened, exact seeks only for the rest of the media: its GOPs are
//    long, and the keyframe stage would mostly cost a seek that is then redone.
// While a seek is under way the target is the position reported, and further
// puts only replace the target; the next seek starts from where the previous
// one landed, so quick repeated skips add up and the engine never queues them.
//
// Playback restarts for other reasons too (the start of a file, a seek given up
// by a reset), and such a restart may reach us after a seek was sent. So each
// seek carries an id: the engine replies to that id, then announces the start
// of the seek, then restarts playback where it landed. Only a restart after the
// announced start of the seek in flight ends it.
#include <cstdint>
#include <optional>

namespace korvane {

enum class SeekPrecision { Default, Fast, Exact };

struct SeekCommand {
  enum class Mode { KeyframeRelative, ExactAbsolute };
  Mode mode = Mode::ExactAbsolute;
  double target = 0;  // absolute seconds (ExactAbsolute)
  double delta = 0;   // seconds from the position it was planned on (KeyframeRelative)
  uint64_t id = 0;    // the reply id to send it with; never 0
};

class TSeekController {
 public:
  static constexpr double kFarFromTarget = 3.0;
  static constexpr double kEndGuard = 10.0;
  static constexpr int kStartWaitMs = 1000;

  // A new file, a close or a stop: forget every target. Ids are not reused, so
  // the reports of a seek sent before are not taken for a later one.
  void Reset();

  // The target is clamped to [0, duration] (duration <= 0: unknown, only the
  // lower bound); NaN counts as 0. Before the media is loaded the target is
  // only kept; OnLoaded issues it.
  std::optional<SeekCommand> Put(double target, double position, double duration, bool loaded,
                                 SeekPrecision precision = SeekPrecision::Default);
  std::optional<SeekCommand> OnLoaded(double position, double duration);
  // The engine's reply to the command `id` (MPV_EVENT_COMMAND_REPLY). A seek
  // that failed moved nothing: a target put meanwhile is planned from `position`.
  std::optional<SeekCommand> OnReply(uint64_t id, bool ok, double position, double duration);
  // The wait for the start of the seek `id`, replied to kStartWaitMs ago, is
  // over: if it has not started, it is given up like a failed one.
  std::optional<SeekCommand> OnStartOverdue(uint64_t id, double position, double duration);
  // The engine started a seek (MPV_EVENT_SEEK).
  void OnSeekStarted();
  // Playback restarted (MPV_EVENT_PLAYBACK_RESTART) at `landed`.
  std::optional<SeekCommand> OnRestart(double landed, double duration);

  // True from a put until the engine has reached its target.
  bool Pending() const { return FPending; }
  double Target() const { return FTarget; }

 private:
  // Where the seek in flight is: sent, replied to, started by the engine.
  enum class Stage { Idle, Sent, Replied, Started };

  std::optional<SeekCommand> Plan(double from, double duration);
  SeekCommand Send(SeekCommand command);
  std::optional<SeekCommand> Abandon(double position, double duration);
  static double Clamp(double target, double duration);

  bool FPending = false;   // a target is set and not yet reached
  Stage FStage = Stage::Idle;
  bool FQueued = false;    // the target changed while in flight
  bool FKeyframe = false;  // the seek in flight is the keyframe stage
  bool FExactOnly = false; // a keyframe seek in this media landed far from its target
  SeekPrecision precision_ = SeekPrecision::Default;
  double FTarget = 0;
  double FOrigin = 0;
  int FDirection = 0;
  uint64_t FSentId = 0;    // id of the seek in flight, or of the last one sent
};

}  // namespace korvane
