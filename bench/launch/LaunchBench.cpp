// What a launch costs, on the real program under Xvfb, each row against a peer
// run in the same process:
//   a later launch with one path, 100 in a row, per launch: build/Korvane (the
//     front) against handoff_peer, a bare client of the hand-off socket
//   --version, 100 in a row, per run: the front against mpv --version, and
//     Korvane.bin --version (what every launch loaded before the front) beside it
//   a first launch until its hand-off socket answers: through the front against
//     Korvane.bin started directly, the front's one extra exec
//
//   bench_launch [--launches N]
//
// Without DISPLAY it runs itself under xvfb-run.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/startup/StartUp.h"
#include "bench/support/BenchSupport.h"
#include "harness/KorvaneProcess.h"
#include "platform/HandOffClient.h"
#include "platform/HandOffMessage.h"

namespace korvane::bench {
namespace {

using namespace std::chrono_literals;

// Each way of a first launch, taken in turns.
constexpr int kFirstLaunches = 11;

struct Run {
  std::vector<std::string> args;
  std::vector<std::string> environment;  // NAME=value, beside this process's own
};

// Starts run with its output thrown away and no session bus.
pid_t Spawn(const Run& run) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const std::string& variable : run.environment) putenv(strdup(variable.c_str()));
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  dup2(null, STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& arg : run.args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

int Wait(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Series {
  double perRunMs = 0;
  int failures = 0;
};

// count runs one after another; the time per run, and how many did not end with 0.
Series InARow(const Run& run, int count) {
  Series series;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < count; ++i)
    if (Wait(Spawn(run)) != 0) ++series.failures;
  series.perRunMs = Ms(start) / count;
  return series;
}

void Row(const char* what, const Series& ours, const Series& peer, const char* target) {
  std::printf("%-44s %9.2f ms %9.2f ms   ratio %5.2f  (failed %d/%d, target %s)\n", what, ours.perRunMs, peer.perRunMs,
              peer.perRunMs > 0 ? ours.perRunMs / peer.perRunMs : 0, ours.failures, peer.failures, target);
}

// The median of the times, the failures (-1) counted apart.
Series MedianOf(const std::vector<double>& times) {
  std::vector<double> kept;
  std::copy_if(times.begin(), times.end(), std::back_inserter(kept), [](double ms) { return ms >= 0; });
  return {Median(kept), static_cast<int>(times.size() - kept.size())};
}

// A first launch of program with a home and runtime folder of its own, until
// its hand-off socket answers; -1 when it did not within 20 s.
double UntilSocketAnswers(const std::string& program) {
  test::TTempDir home;
  const std::string runtime = home.MakeDir("runtime");
  chmod(runtime.c_str(), 0700);
  Run run{{program}, test::PrivateHome(home.Path())};
  run.environment.push_back("KORVANE_INI=" + home / "Korvane.ini");
  run.environment.push_back("XDG_RUNTIME_DIR=" + runtime);
  const std::string socket = runtime + "/korvane-" + InstanceGuid + ".sock";
  const Clock::time_point start = Clock::now();
  const pid_t pid = Spawn(run);
  double ms = -1;
  while (Ms(start) < 20000) {
    if (THandOffClient(socket, 1s).Request(kActivateRequest, "") == InstanceMarker) {
      ms = Ms(start);
      break;
    }
    std::this_thread::sleep_for(1ms);
  }
  kill(pid, SIGTERM);
  Wait(pid);
  return ms;
}

int Main(int argc, char** argv) {
  int launches = 100;
  for (int i = 1; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], "--launches")) launches = std::max(1, std::atoi(argv[++i]));
  setenv("KORVANE_BUILD_DIR", KORVANE_BUILD_DIR, 0);
  const std::string build = KORVANE_BUILD_DIR;
  const std::string front = build + "/Korvane", full = build + "/Korvane.bin";

  std::vector<double> viaFront, direct;
  for (int i = 0; i < kFirstLaunches; ++i) {
    viaFront.push_back(UntilSocketAnswers(front));
    direct.push_back(UntilSocketAnswers(full));
  }

  test::TKorvaneProcess running({});
  if (!running.Window()) {
    std::fprintf(stderr, "the running instance did not show its window\n%s\n", running.Stderr().c_str());
    return 1;
  }
  test::TTempDir empty;  // searched by the instance at each hand-off, and nothing found
  const std::vector<std::string> inRuntime = {"XDG_RUNTIME_DIR=" + running.RuntimeDir()};
  const Series laterOurs = InARow({{front, empty.Path()}, inRuntime}, launches);
  const Series laterPeer = InARow({{build + "/bench/launch/handoff_peer", empty.Path()}, inRuntime}, launches);
  const Series versionOurs = InARow({{front, "--version"}, {}}, launches);
  const Series versionMpv = InARow({{"mpv", "--version"}, {}}, launches);
  const Series versionFull = InARow({{full, "--version"}, {}}, std::max(1, launches / 5));

  std::printf("\nlaunches, wall time per run; Korvane against the peer\n");
  std::printf("%-44s %12s %12s\n", "", "Korvane", "peer");
  Row("later launch, one path (peer: bare client)", laterOurs, laterPeer, "Korvane <= 20 ms");
  Row("--version (peer: mpv --version)", versionOurs, versionMpv, "Korvane <= 20 ms");
  Row("Korvane.bin --version (peer: mpv --version)", versionFull, versionMpv, "none, the old cost");
  Row("first launch -> socket answers (peer: .bin)", MedianOf(viaFront), MedianOf(direct), "ratio <= 1.05; medians");
  return laterOurs.failures + laterPeer.failures + versionOurs.failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace korvane::bench

int main(int argc, char** argv) {
  korvane::bench::RunUnderXvfbWithoutDisplay(argc, argv);
  return korvane::bench::Main(argc, argv);
}
