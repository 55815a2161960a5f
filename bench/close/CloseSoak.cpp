// A close soak of the real program. Each cycle starts it on a folder of short
// clips, hands it one more clip from a later launch, moves to the next or
// previous file a few times over its desktop media controls and ends it at a
// random moment while a file plays: on X11 by the window's close (one cycle in
// four by a SIGTERM), on Wayland by a SIGTERM. Every exit must be 0 within
// 15 s, every ini written, and no temporary file left beside it.
//
//   bench_close [cycles [seed]]   (100 by default; under xvfb-run by itself
//                                  without a display; on Wayland with
//                                  scripts/with-weston.sh bench_close)
#include <dirent.h>
#include <signal.h>

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

using namespace std::chrono_literals;

bool OnWayland() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return std::getenv("WAYLAND_DISPLAY") && platform && std::string(platform) == "wayland";
}

// False when the program did not take the move.
bool Move(bool next) {
  return CommandOutput(std::string("dbus-send --session --print-reply --reply-timeout=2000 "
                                   "--dest=org.mpris.MediaPlayer2.korvane /org/mpris/MediaPlayer2 "
                                   "org.mpris.MediaPlayer2.Player.") +
                       (next ? "Next" : "Previous") + " 2>&1")
             .find("Error") == std::string::npos;
}

// Files beside the ini named after it (the save's temporary files).
std::vector<std::string> LeftBeside(const std::string& folder) {
  std::vector<std::string> left;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return left;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "Korvane.ini" && name.find("Korvane.ini") != std::string::npos) left.push_back(name);
  }
  closedir(dir);
  return left;
}

struct Tally {
  int cycles = 0, failedExits = 0, hangs = 0, lostSettings = 0, leftFiles = 0, refusedMoves = 0;
  bool Clean() const { return failedExits + hangs + lostSettings + leftFiles == 0; }
};

void Cycle(const std::string& clips, const std::string& handed, std::mt19937& random, Tally& tally) {
  TKorvaneProcess korvane({clips});
  // Running, a file open: the search and the first open are done.
  const bool playing = WaitUntil([&] { return !korvane.Running() || !korvane.OpenFilesBelow(clips).empty(); }, 30s);
  if (playing && korvane.Running()) {
    TKorvaneProcess later({handed}, TStartOptions{.runtime = korvane.RuntimeDir()});
    later.WaitForExit(15s);
    // Apart enough for the neighbours to be opened ahead, so that most moves are swaps.
    for (int moves = std::uniform_int_distribution<int>(0, 4)(random); moves > 0; --moves) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 800)(random)));
      if (!Move(std::bernoulli_distribution(0.7)(random))) ++tally.refusedMoves;
    }
  }
  const bool bySignal = OnWayland() || std::bernoulli_distribution(0.25)(random);
  if (bySignal)
    kill(korvane.Pid(), SIGTERM);
  else
    korvane.Close();
  const int status = korvane.WaitForExit(15s);
  ++tally.cycles;
  const char* how = bySignal ? "SIGTERM" : "close";
  if (status == -1) {
    ++tally.hangs;
    std::printf("cycle %d: hung after the %s\n%s", tally.cycles, how, korvane.Stderr().c_str());
  } else if (status != 0) {
    ++tally.failedExits;
    std::printf("cycle %d: status %d after the %s\n%s", tally.cycles, status, how, korvane.Stderr().c_str());
  }
  if (ReadFile(korvane.IniPath()).find("[") == std::string::npos) ++tally.lostSettings;
  const std::string folder = korvane.IniPath().substr(0, korvane.IniPath().rfind('/'));
  for (const std::string& name : LeftBeside(folder)) {
    ++tally.leftFiles;
    std::printf("cycle %d: %s left beside the ini\n", tally.cycles, name.c_str());
  }
}

int Main(int argc, char** argv) {
  setenv("KORVANE_BUILD_DIR", KORVANE_BUILD_DIR, 0);
  const int cycles = argc > 1 ? std::atoi(argv[1]) : 100;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : std::random_device{}();
  const std::string reason = OnWayland() ? (KorvanePath().empty() ? "build/Korvane has not been built" : "")
                                         : WholeProgramSkipReason();
  if (!reason.empty()) {
    std::fprintf(stderr, "close soak: %s\n", reason.c_str());
    return 2;
  }
  TTempDir media;
  const std::string clips = media.MakeDir("clips");
  for (int i = 0; i < 4; ++i)
    if (MakeClip(clips, "clip" + std::to_string(i) + ".mp4", 3).empty()) return 2;
  const std::string handed = MakeClip(media.Path(), "handed.mp4", 3);
  TPrivateSessionBus bus;
  if (handed.empty() || !bus.Up()) return 2;

  std::mt19937 random(seed);
  Tally tally;
  for (int i = 0; i < cycles; ++i) Cycle(clips, handed, random, tally);
  std::printf("close soak (%s): %d cycles, seed %u: %d exits not 0, %d hangs, %d lost settings, %d files left"
              " (%d moves not taken)\n", OnWayland() ? "Wayland" : "X11", tally.cycles, seed, tally.failedExits,
              tally.hangs, tally.lostSettings, tally.leftFiles, tally.refusedMoves);
  return tally.Clean() ? 0 : 1;
}

}  // namespace
}  // namespace korvane::test

int main(int argc, char** argv) {
  if (!korvane::test::OnWayland()) korvane::bench::RunUnderXvfbWithoutDisplay(argc, argv);
  return korvane::test::Main(argc, argv);
}
