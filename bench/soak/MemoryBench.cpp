// Memory over a long sitting: 1,000 Down/Up presses over 30 short clips, three
// of them broken, on the real program. Its resident memory, threads and open
// descriptors are read after 20 presses and after 1,000, each at the same place
// in the list once it has settled; a player that keeps what each visit opened
// grows here.
//
//   bench_memory [presses [seed]]     (1000 presses by default; runs under
//                                      xvfb-run by itself without DISPLAY)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "bench/support/BenchSupport.h"
#include "harness/KorvaneProcess.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

struct Figures {
  long rssKb = 0;
  long threads = 0;
  int descriptors = 0;
};

Figures Read(TKorvaneProcess& korvane) {
  return {bench::ProcStatus(korvane.Pid(), "VmRSS"), bench::ProcStatus(korvane.Pid(), "Threads"),
          bench::OpenDescriptors(korvane.Pid())};
}

// Read once the threads and descriptors have stayed as they are for a second:
// the last press's open and its opening ahead are done.
Figures Settled(TKorvaneProcess& korvane) {
  Figures last = Read(korvane);
  for (int still = 0, polls = 0; still < 10 && polls < 150; ++polls) {
    std::this_thread::sleep_for(100ms);
    const Figures now = Read(korvane);
    still = now.threads == last.threads && now.descriptors == last.descriptors ? still + 1 : 0;
    last = now;
  }
  return last;
}

// Every reading is taken at the same place, so that the same files are held
// open: above the top of the list (nothing plays), then Down twice to the
// list's second entry, paused there so that it does not end and move on.
Figures SettledAtTheSecondEntry(TKorvaneProcess& korvane) {
  for (int i = 0; i < 32; ++i) {
    korvane.Key("Up");
    std::this_thread::sleep_for(60ms);
  }
  for (int i = 0; i < 2; ++i) {
    korvane.Key("Down");
    std::this_thread::sleep_for(400ms);
  }
  korvane.Key("space");
  const Figures figures = Settled(korvane);
  korvane.Key("space");
  return figures;
}

int Main(int argc, char** argv) {
  setenv("KORVANE_BUILD_DIR", KORVANE_BUILD_DIR, 0);
  const int presses = argc > 1 ? std::atoi(argv[1]) : 1000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : std::random_device{}();
  if (const std::string reason = WholeProgramSkipReason(); !reason.empty()) {
    std::fprintf(stderr, "memory: %s\n", reason.c_str());
    return 2;
  }
  TTempDir media;
  const std::string clips = media.MakeDir("clips");
  for (int i = 0; i < 30; ++i) {
    const std::string name = "clip" + std::to_string(100 + i) + ".mp4";
    if (i % 10 == 4) media.WriteFile("clips/" + name, std::string(600000, '\x5A'));  // no decoder takes it
    else if (MakeClip(clips, name, 2).empty()) return 2;
  }
  const auto launched = std::chrono::steady_clock::now();
  TKorvaneProcess korvane({clips});
  if (korvane.Window() == 0) {
    std::fprintf(stderr, "memory: no window\n%s", korvane.Stderr().c_str());
    return 1;
  }
  // Runs of Down, then of Up, across the list, each press 100-300 ms after the
  // last; the first 20 go both ways, so both neighbours are open ahead by then.
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pauseMs(100, 300), run(5, 25);
  Figures early;
  bool down = true;
  for (int i = 0, left = 10; i < presses && korvane.Running(); ++i, --left) {
    if (left == 0) {
      down = !down;
      left = run(random);
    }
    korvane.Key(down ? "Down" : "Up");
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
    if (i + 1 == 20) {
      // Qt's pooled threads, started with the window, idle out 30 s later: not a sitting's growth.
      std::this_thread::sleep_until(launched + 35s);
      early = SettledAtTheSecondEntry(korvane);
    }
  }
  if (!korvane.Running()) {
    std::printf("memory: the program died\n%s", korvane.Stderr().c_str());
    return 1;
  }
  const Figures late = SettledAtTheSecondEntry(korvane);
  std::printf("%-46s %9.1f MB %9.1f MB   ratio %.2f  (target <= 1.1)\n", "RSS after 20 / after all presses",
              early.rssKb / 1024.0, late.rssKb / 1024.0, early.rssKb > 0 ? static_cast<double>(late.rssKb) / early.rssKb : 0);
  std::printf("%-46s %9ld    %9ld       (target equal)\n", "threads after 20 / after all presses", early.threads, late.threads);
  std::printf("%-46s %9d    %9d       (target equal)\n", "descriptors after 20 / after all presses", early.descriptors,
              late.descriptors);
  std::printf("memory: %d presses over 30 clips (3 broken), seed %u\n", presses, seed);
  return 0;
}

}  // namespace
}  // namespace korvane::test

int main(int argc, char** argv) {
  korvane::bench::RunUnderXvfbWithoutDisplay(argc, argv);
  return korvane::test::Main(argc, argv);
}
