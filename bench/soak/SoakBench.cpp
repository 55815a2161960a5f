// A soak of the real program: random key presses (Space, Left/Right, Page
// Up/Down, Home, End, Up, Down) with random pauses over a list of ten short
// clips, one of them broken. Its desktop media controls on a private session
// bus tell the play status, the open entry and the position; the list counts as
// stalled when, with an entry open and not paused, none of them changes for
// more than two seconds. Ends non-zero after a stall or when the program died.
//
//   bench_soak [presses [seed]]     (300 presses by default; runs under
//                                    xvfb-run by itself without DISPLAY)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "harness/KorvaneProcess.h"
#include "harness/SessionBus.h"

namespace korvane::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kStallLimit = 2s;
const char* const kKeys[] = {"space", "Left", "Right", "Page_Up", "Page_Down", "Home", "End", "Up", "Down"};

// The text after `marker` that follows `key` in dbus-send's print-out, up to a quote or the line's end.
std::string ValueAfter(const std::string& text, const std::string& key, const std::string& marker) {
  size_t at = text.find("\"" + key + "\"");
  if (at == std::string::npos || (at = text.find(marker, at)) == std::string::npos) return "";
  at += marker.size();
  return text.substr(at, text.find_first_of("\"\n", at) - at);
}

struct Sample {
  std::string status, track, position;
  bool operator==(const Sample&) const = default;
  // Paused by a key, or no entry open (before the first or after the last): nothing is owed.
  bool Resting() const { return status == "Paused" || track.empty() || track.find("NoTrack") != std::string::npos; }
};

Sample Look() {
  const std::string all = CommandOutput(
      "dbus-send --session --print-reply --reply-timeout=2000 --dest=org.mpris.MediaPlayer2.korvane "
      "/org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.GetAll string:org.mpris.MediaPlayer2.Player 2>&1");
  return {ValueAfter(all, "PlaybackStatus", "string \""), ValueAfter(all, "mpris:trackid", "object path \""),
          ValueAfter(all, "Position", "int64 ")};
}

class TSoak {
 public:
  explicit TSoak(unsigned seed) : FRandom(seed) {}

  // Presses keys, watching for progress in between; true when no stall was seen.
  bool Run(TKorvaneProcess& korvane, int presses) {
    std::uniform_int_distribution<size_t> key(0, std::size(kKeys) - 1);
    std::uniform_int_distribution<int> pauseMs(50, 700);
    for (int i = 0; i < presses && korvane.Running(); ++i) {
      const char* name = kKeys[key(FRandom)];
      FRecent = (FRecent + " " + name).substr(FRecent.size() > 80 ? FRecent.size() - 80 : 0);
      korvane.Key(name);
      Watch(Clock::now() + std::chrono::milliseconds(pauseMs(FRandom)));
    }
    Watch(Clock::now() + 3s);  // the last key's outcome too
    return FStalls == 0;
  }
  int Stalls() const { return FStalls; }
  double Longest() const { return FLongest.count(); }

 private:
  void Watch(Clock::time_point until) {
    do {
      const Sample now = Look();
      const auto at = Clock::now();
      if (now.Resting() || !(now == FLast)) {
        FChangedAt = at;
        FReported = false;
      }
      FLast = now;
      const std::chrono::duration<double> still = at - FChangedAt;
      if (still > FLongest) FLongest = still;
      if (still > kStallLimit && !FReported) {
        ++FStalls;
        FReported = true;
        std::printf("stall: %s, track %s at %s us for %.1f s after:%s\n", now.status.c_str(), now.track.c_str(),
                    now.position.c_str(), still.count(), FRecent.c_str());
      }
      std::this_thread::sleep_for(100ms);
    } while (Clock::now() < until);
  }

  std::mt19937 FRandom;
  Sample FLast;
  Clock::time_point FChangedAt = Clock::now();
  std::chrono::duration<double> FLongest{0};
  bool FReported = false;
  int FStalls = 0;
  std::string FRecent;
};

int Main(int argc, char** argv) {
  setenv("KORVANE_BUILD_DIR", KORVANE_BUILD_DIR, 0);
  const int presses = argc > 1 ? std::atoi(argv[1]) : 300;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : std::random_device{}();
  if (const std::string reason = WholeProgramSkipReason(); !reason.empty()) {
    std::fprintf(stderr, "soak: %s\n", reason.c_str());
    return 2;
  }
  TTempDir media;
  const std::string clips = media.MakeDir("clips");
  for (int i = 0; i < 9; ++i)
    if (MakeClip(clips, "clip" + std::to_string(i) + ".mp4", 3).empty()) return 2;
  // Sorted into the middle of the list: bytes that no decoder takes.
  media.WriteFile("clips/clip4 broken.mp4", std::string(600000, '\x5A'));

  TPrivateSessionBus bus;
  if (!bus.Up()) return 2;
  TKorvaneProcess korvane({clips});
  if (korvane.Window() == 0) {
    std::fprintf(stderr, "soak: no window\n%s", korvane.Stderr().c_str());
    return 1;
  }
  TSoak soak(seed);
  soak.Run(korvane, presses);
  const bool alive = korvane.Running();
  std::printf("soak: %d presses over 10 clips (1 broken), seed %u: %d stalls, longest without progress %.1f s, "
              "program %s\n", presses, seed, soak.Stalls(), soak.Longest(), alive ? "alive" : "DEAD");
  if (!alive) std::printf("%s", korvane.Stderr().c_str());
  return alive && soak.Stalls() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace korvane::test

int main(int argc, char** argv) {
  // A private X server for the run, as the other benchmarks have.
  korvane::bench::RunUnderXvfbWithoutDisplay(argc, argv);
  return korvane::test::Main(argc, argv);
}
