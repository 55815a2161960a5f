#pragma once
// The arithmetic and rules of the player's control strip, without a window:
// where on the seek bar a position lies, the time text, what may be used, and
// which seeks a press, drag and release on the bar ask for.
#include <optional>
#include <string>

#include "player/Player.h"
#include "player/SeekController.h"

namespace korvane {

// What the strip shows, read from the player on each refresh.
struct TStripState {
  bool FHasMedia = false;
  bool FSeekable = false;  // the player can put a position now
  bool FCanPlay = false;
  bool FCanPause = false;
  bool FCanStop = false;
  double FPosition = 0;
  double FDuration = 0;  // 0 while unknown
  int FVolume = 0;
  bool FMute = false;
};

// What the player offers now; no media reads as position and duration 0.
TStripState ReadStripState(IWMPCore& player);

// The seek bar maps [0, duration] onto its slider's steps.
inline constexpr int kSeekBarSteps = 10000;

// A usable duration: known, finite and above zero.
bool KnownDuration(double duration);
// Seekable media of a known duration; else the bar is disabled.
bool SeekBarEnabled(const TStripState& state);
// The slider step of a position; 0 for an unknown duration, clamped to the bar.
int SeekBarValue(double position, double duration);
// The share of the bar at pixel x of a span starting at spanLeft, clamped to [0, 1].
double FractionAtX(int x, int spanLeft, int spanWidth);
// "mm:ss / mm:ss", both with hours once either has them; "--:--" for an unknown duration.
std::u16string StripTimeText(double position, double duration);

struct TSeekRequest {
  double FSeconds = 0;
  SeekPrecision FPrecision = SeekPrecision::Default;
};

// A press on the bar, a drag along it and the release: the handle follows the
// pointer; each move to another step asks for a fast seek there, the release
// for an exact one. A press alone seeks nothing until it is let go.
class TSeekDrag {
 public:
  bool Active() const { return FActive; }
  // Where the bar shows the handle while dragging, in seconds.
  double Seconds() const { return FSeconds; }
  void Press(double fraction, double duration);
  std::optional<TSeekRequest> Move(double fraction);
  std::optional<TSeekRequest> Release(double fraction);
  // The media changed or went away under the drag: it ends without a seek.
  void Cancel() { FActive = false; }

 private:
  bool FActive = false;
  double FDuration = 0;
  double FSeconds = 0;
  int FStep = -1;
};

}  // namespace korvane
