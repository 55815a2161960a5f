// Whole-program figures: the Korvane program against the mpv command-line
// player, each started as a user would and driven with real key presses
// (XTest) in the same X server on the same files:
//   launch with a folder -> the first file's picture on screen
//   Down -> the next file's picture, Up -> the previous file's picture
//   Ctrl+Right (+30 s) -> the picture at the target, on a 2 s and a 10 s GOP
//   the resident memory after the moves, files opened ahead included
// mpv gets the same keys through an input.conf of its own (playlist-next,
// playlist-prev, seek 30; on the 10 s GOP `seek 30 relative+exact`, the work
// Korvane does there).
//
// Down and Up run on the list's clips given as files in name order: a folder
// enters Korvane's list in the order its listing gives, sorted only within each
// batch of ten the tick takes, so with more than ten clips its order is not mpv's.
//
// Each clip shows a solid colour of its own in the middle of the picture, and
// the seek clips change colour over time, so both players' times end alike: when
// the X server's pixels in the middle of the window turn the expected colour.
//
//   bench_app [--runs N] [--launches N]
//
// Without DISPLAY it runs itself under xvfb-run. Media are generated with ffmpeg
// into bench-media/ beside the executable on the first run.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/BenchSupport.h"

namespace korvane::bench {
namespace {

using namespace std::chrono_literals;

constexpr int kTimeoutMs = 5000;
// mpv's window gets the size of Korvane's picture panel.
constexpr char kMpvGeometry[] = "--geometry=712x415";

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// Far apart in at least one channel (by 127 or more), none of them grey, so
// scaling and the YUV round trip cannot turn one into another.
std::vector<Rgb> Palette() {
  std::vector<Rgb> colours;
  for (int r : {0, 128, 255})
    for (int g : {0, 128, 255})
      for (int b : {0, 128, 255})
        if (r != g || g != b) colours.push_back({r, g, b});
  return colours;
}

bool Near(const Rgb& a, const Rgb& b) {
  return std::abs(a.r - b.r) < 48 && std::abs(a.g - b.g) < 48 && std::abs(a.b - b.b) < 48;
}

std::string Hex(const Rgb& c) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02x%02x%02x", c.r, c.g, c.b);
  return text;
}

// The test pattern with a box of solid colour over its middle half; from
// `from` seconds on the box takes the later colours of `steps`.
struct ColourStep {
  double from;
  Rgb colour;
};

std::string ClipArgs(double seconds, int gop, const std::vector<ColourStep>& steps) {
  std::string filter;
  for (const ColourStep& s : steps) {
    if (!filter.empty()) filter += ",";
    filter += "drawbox=x=iw/4:y=ih/4:w=iw/2:h=ih/2:t=fill:color=" + Hex(s.colour);
    if (s.from > 0) filter += ":enable='gte(t," + std::to_string(s.from) + ")'";
  }
  return "-f lavfi -i testsrc2=size=1280x720:rate=25 -f lavfi -i sine=frequency=440:sample_rate=48000 -t " +
         std::to_string(seconds) + " -vf " + filter + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g " +
         std::to_string(gop) + " -keyint_min " + std::to_string(gop) + " -sc_threshold 0 -c:a aac -b:a 64k";
}

// ---------------------------------------------------------------- the X server

class Screen {
 public:
  Screen() : FDisplay(XOpenDisplay(nullptr)) {
    // Windows come and go with the players: a request on a vanished one only fails.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~Screen() {
    if (FDisplay) XCloseDisplay(FDisplay);
  }
  bool ok() const { return FDisplay != nullptr; }

  // The largest visible top-level window of the process; 0 while there is none.
  Window WindowOf(pid_t pid) {
    const Atom pidAtom = XInternAtom(FDisplay, "_NET_WM_PID", True);
    if (pidAtom == None) return 0;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(FDisplay, DefaultRootWindow(FDisplay), &root, &parent, &children, &count)) return 0;
    Window best = 0;
    long bestArea = 0;
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes attrs;
      if (!XGetWindowAttributes(FDisplay, children[i], &attrs) || attrs.map_state != IsViewable) continue;
      const long area = static_cast<long>(attrs.width) * attrs.height;
      if (area > bestArea && PidOf(children[i], pidAtom) == pid) {
        best = children[i];
        bestArea = area;
      }
    }
    if (children) XFree(children);
    return best;
  }

  // The mean colour of the screen's 4x4 pixels at the middle of the window.
  std::optional<Rgb> MiddleColour(Window window) {
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(FDisplay, window, &attrs)) return std::nullopt;
    int x = 0, y = 0;
    Window child = 0;
    const Window root = DefaultRootWindow(FDisplay);
    if (!XTranslateCoordinates(FDisplay, window, root, attrs.width / 2 - 2, attrs.height / 2 - 2, &x, &y, &child))
      return std::nullopt;
    XImage* image = XGetImage(FDisplay, root, x, y, 4, 4, AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    long r = 0, g = 0, b = 0;
    for (int j = 0; j < 4; ++j) {
      for (int i = 0; i < 4; ++i) {
        const unsigned long p = XGetPixel(image, i, j);
        r += static_cast<long>((p & image->red_mask) >> 16);
        g += static_cast<long>((p & image->green_mask) >> 8);
        b += static_cast<long>(p & image->blue_mask);
      }
    }
    XDestroyImage(image);
    return Rgb{static_cast<int>(r / 16), static_cast<int>(g / 16), static_cast<int>(b / 16)};
  }

  void Focus(Window window) {
    XSetInputFocus(FDisplay, window, RevertToParent, CurrentTime);
    XSync(FDisplay, False);
  }

  // Presses and releases the key (with Control held when asked) through XTest.
  void Press(KeySym key, bool control = false) {
    const KeyCode ctrl = XKeysymToKeycode(FDisplay, XK_Control_L);
    const KeyCode code = XKeysymToKeycode(FDisplay, key);
    if (control) XTestFakeKeyEvent(FDisplay, ctrl, True, 0);
    XTestFakeKeyEvent(FDisplay, code, True, 0);
    XTestFakeKeyEvent(FDisplay, code, False, 0);
    if (control) XTestFakeKeyEvent(FDisplay, ctrl, False, 0);
    XFlush(FDisplay);
  }

 private:
  pid_t PidOf(Window window, Atom pidAtom) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    pid_t pid = -1;
    if (XGetWindowProperty(FDisplay, window, pidAtom, 0, 1, False, AnyPropertyType, &type, &format, &items, &after,
                           &data) == Success &&
        data && items == 1 && format == 32)
      pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return pid;
  }

  Display* FDisplay;
};

// ---------------------------------------------------------------- one started player

// The command line for one start of a player on `targets` (folders or files),
// with its settings in workDir; `seekExact` asks for the exact +30 s seek where
// the player has a choice.
struct Command {
  std::vector<std::string> environment;  // NAME=value
  std::vector<std::string> args;
};
using Targets = std::vector<std::string>;
using Program = Command (*)(const Targets& targets, const std::string& workDir, bool seekExact);

Command KorvaneCommand(const Targets& targets, const std::string& workDir, bool) {
  // Its own runtime folder (instance lock, hand-off) and settings for each start.
  const std::string runtime = workDir + "/run";
  mkdir(runtime.c_str(), 0700);
  std::ofstream(workDir + "/Korvane.ini") << "[LowerSize]\nFLowerSize=0\n";
  Command command{{"XDG_RUNTIME_DIR=" + runtime, "KORVANE_INI=" + workDir + "/Korvane.ini"}, {KorvaneProgram()}};
  command.args.insert(command.args.end(), targets.begin(), targets.end());
  return command;
}

Command MpvCommand(const Targets& targets, const std::string& workDir, bool seekExact) {
  const std::string conf = workDir + "/input.conf";
  std::ofstream(conf) << "DOWN playlist-next\nUP playlist-prev\nHOME seek 0 absolute\nCtrl+RIGHT seek 30"
                      << (seekExact ? " relative+exact\n" : "\n");
  Command command{{}, {"mpv", "--no-config", "--input-conf=" + conf, "--input-default-bindings=no", "--input-terminal=no",
                       "--keep-open=yes", "--hwdec=auto-safe", "--vo=gpu", "--gpu-sw=yes", "--audio-fallback-to-null=yes",
                       "--osd-level=0", "--really-quiet", kMpvGeometry, "--force-window=yes"}};
  command.args.insert(command.args.end(), targets.begin(), targets.end());
  return command;
}

class Session {
 public:
  Session(Screen& screen, Program program, const Targets& targets, bool seekExact = false)
      : FScreen(screen) {
    char dirTemplate[] = "/tmp/korvane-bench-app-XXXXXX";
    if (mkdtemp(dirTemplate)) FWorkDir = dirTemplate;
    Command command = program(targets, FWorkDir, seekExact);
    FName = command.args[0].substr(command.args[0].rfind('/') + 1);
    FStarted = Clock::now();
    FPid = fork();
    if (FPid == 0) {
      for (auto& e : command.environment) putenv(e.data());
      std::vector<char*> argv;
      for (auto& a : command.args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
      _exit(127);
    }
  }
  ~Session() {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      for (int i = 0; i < 500 && waitpid(FPid, nullptr, WNOHANG) == 0; ++i) std::this_thread::sleep_for(10ms);
      if (kill(FPid, SIGKILL) == 0) waitpid(FPid, nullptr, 0);
    }
    if (!FWorkDir.empty()) std::system(("rm -rf '" + FWorkDir + "'").c_str());
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Clock::time_point Started() const { return FStarted; }

  // The process's resident memory in kB, 0 when unknown.
  long RssKb() const { return ProcStatus(FPid, "VmRSS"); }

  // Milliseconds from `from` until the middle of the window shows `colour`; -1 on timeout.
  double WaitColour(const Rgb& colour, Clock::time_point from) { return WaitAnyColour({colour}, from); }

  // Likewise for any of `colours`.
  double WaitAnyColour(const std::vector<Rgb>& colours, Clock::time_point from) {
    std::optional<Rgb> shown;
    while (Ms(from) < kTimeoutMs) {
      if (!FWindow) FWindow = FScreen.WindowOf(FPid);
      if (FWindow && Shown(colours)) return Ms(from);
      std::this_thread::sleep_for(1ms);
    }
    if (FWindow) shown = FScreen.MiddleColour(FWindow);
    std::fprintf(stderr, "%s: waited in vain for %s, showing %s\n", FName.c_str(), Hex(colours[0]).c_str(),
                 shown ? Hex(*shown).c_str() : "no window");
    return -1;
  }

  // The index of the colour the middle of the window shows, if it is one of them.
  std::optional<size_t> Shown(const std::vector<Rgb>& colours) {
    const std::optional<Rgb> shown = FWindow ? FScreen.MiddleColour(FWindow) : std::nullopt;
    for (size_t i = 0; shown && i < colours.size(); ++i)
      if (Near(*shown, colours[i])) return i;
    return std::nullopt;
  }

  // Presses the key and times until `colour` shows.
  double Timed(KeySym key, bool control, const Rgb& colour) {
    FScreen.Focus(FWindow);
    const auto start = Clock::now();
    FScreen.Press(key, control);
    return WaitColour(colour, start);
  }

 private:
  Screen& FScreen;
  std::string FName;
  std::string FWorkDir;
  pid_t FPid = -1;
  Window FWindow = 0;
  Clock::time_point FStarted;
};

// ---------------------------------------------------------------- the measurements

// Both players wait this long after a picture showed before the next key: a
// glance at the file, the same for both, from a quick 0.3 s to a look of 0.8 s
// as a user skimming gives it. The steps put the key on every phase of the
// 40 ms frame clock.
int IdleMs(int run) { return 300 + (run * 53) % 500; }

struct Rows {
  std::vector<double> launch, down, up, seek2, seek10;
  int strays = 0;  // Down or Up presses that ended elsewhere than on the neighbour
  long movesRssKb = 0;  // after the moves, with whatever the player holds opened ahead
};

void Keep(std::vector<double>& into, double ms) {
  if (ms >= 0) into.push_back(ms);
}

// The first file a player takes from a folder is its own choice: any clip's picture ends the time.
void MeasureLaunches(Screen& screen, Program program, const std::string& folder, const std::vector<Rgb>& clips,
                     int launches, Rows& rows) {
  for (int i = 0; i < launches; ++i) {
    Session s(screen, program, {folder});
    Keep(rows.launch, s.WaitAnyColour(clips, s.Started()));
  }
}

// Down through the whole list and Up back, until each has `runs` samples. Before
// each key the colour on screen tells where the player is, so a press that
// went elsewhere than to the neighbour is counted as such and not timed.
void MeasureMoves(Screen& screen, Program program, const Targets& files, const std::vector<Rgb>& clips, int runs,
                  Rows& rows) {
  Session s(screen, program, files);
  if (s.WaitColour(clips[0], s.Started()) < 0) return;
  const size_t last = clips.size() - 1;
  size_t at = 0;
  int direction = 1;
  for (int press = 0; press < 4 * runs && (rows.down.size() < size_t(runs) || rows.up.size() < size_t(runs)); ++press) {
    std::this_thread::sleep_for(std::chrono::milliseconds(IdleMs(press)));
    if (const std::optional<size_t> shown = s.Shown(clips); shown && *shown != at) {
      ++rows.strays;
      at = *shown;
    }
    if (at == last) direction = -1;
    if (at == 0) direction = 1;
    const size_t to = direction > 0 ? at + 1 : at - 1;
    const double ms = s.Timed(direction > 0 ? XK_Down : XK_Up, false, clips[to]);
    if (ms < 0) continue;
    Keep(direction > 0 ? rows.down : rows.up, ms);
    at = to;
  }
  rows.movesRssKb = s.RssKb();
}

// Home shows the first colour again, Ctrl+Right (+30 s) the second.
void MeasureSeeks(Screen& screen, Program program, const std::string& clip, bool exact,
                  const std::vector<ColourStep>& steps, int runs, std::vector<double>& out) {
  Session s(screen, program, {clip}, exact);
  if (s.WaitColour(steps[0].colour, s.Started()) < 0) return;
  for (int run = 0; run < runs; ++run) {
    std::this_thread::sleep_for(std::chrono::milliseconds(IdleMs(run)));
    Keep(out, s.Timed(XK_Right, true, steps[1].colour));
    std::this_thread::sleep_for(100ms);
    if (s.Timed(XK_Home, false, steps[0].colour) < 0) return;
  }
}

struct Bench {
  std::string folder, gop2, gop10;
  Targets files;  // the folder's clips in name order
  std::vector<Rgb> clips;
  std::vector<ColourStep> seekSteps;
};

// Twelve 8 s clips of 1280x720 in a folder of their own, and two 60 s seek clips
// whose colour changes at 20 s and 45 s, so +30 s from the start lands in the
// second colour wherever a keyframe seek snaps to.
std::optional<Bench> MakeMedia() {
  const std::vector<Rgb> palette = Palette();
  Bench b;
  b.seekSteps = {{0, palette[0]}, {20, palette[1]}, {45, palette[2]}};
  b.gop2 = Media("seek-gop2.mp4", ClipArgs(60, 50, b.seekSteps));
  b.gop10 = Media("seek-gop10.mp4", ClipArgs(60, 250, b.seekSteps));
  if (b.gop2.empty() || b.gop10.empty()) return std::nullopt;
  for (int i = 0; i < 12; ++i) {
    b.clips.push_back(palette[static_cast<size_t>(3 + i)]);
    char name[32];
    std::snprintf(name, sizeof name, "list/clip%02d.mp4", i);
    if (i == 0 && std::system(("mkdir -p '" + SelfDir() + "/bench-media/list'").c_str()) != 0) return std::nullopt;
    const std::string path = Media(name, ClipArgs(8, 25, {{0, b.clips.back()}}));
    if (path.empty()) return std::nullopt;
    b.files.push_back(path);
    b.folder = path.substr(0, path.rfind('/'));
  }
  return b;
}

void Measure(Screen& screen, Program program, const Bench& b, int runs, int launches, Rows& rows) {
  MeasureLaunches(screen, program, b.folder, b.clips, launches, rows);
  MeasureMoves(screen, program, b.files, b.clips, runs, rows);
  MeasureSeeks(screen, program, b.gop2, false, b.seekSteps, runs, rows.seek2);
  MeasureSeeks(screen, program, b.gop10, true, b.seekSteps, runs, rows.seek10);
}

void Row(const char* what, const std::vector<double>& ours, const std::vector<double>& mpv, const char* target) {
  const double a = Median(ours), b = Median(mpv);
  std::printf("%-46s %9.1f ms %9.1f ms   ratio %.2f  (n=%zu/%zu, target %s)\n", what, a, b, b > 0 ? a / b : 0,
              ours.size(), mpv.size(), target);
}

// A move's slow tail: our 90th percentile against mpv's median, and the slowest press.
void TailRow(const char* what, const std::vector<double>& ours, const std::vector<double>& mpv) {
  const double tail = Percentile(ours, 90), b = Median(mpv);
  const double slowest = ours.empty() ? 0 : *std::max_element(ours.begin(), ours.end());
  std::printf("%-46s %9.1f ms %9.1f ms   ratio %.2f  (slowest %.1f ms, target <= 0.6)\n", what, tail, b,
              b > 0 ? tail / b : 0, slowest);
}

int Main(int argc, char** argv) {
  int runs = 20, launches = 10;
  for (int i = 1; i + 1 < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--launches")) launches = std::max(1, std::atoi(argv[++i]));
  }
  const std::optional<Bench> bench = MakeMedia();
  if (!bench) {
    std::fprintf(stderr, "ffmpeg could not make the media\n");
    return 1;
  }
  Screen screen;
  if (!screen.ok()) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  Rows ours, mpv;
  Measure(screen, KorvaneCommand, *bench, runs, launches, ours);
  Measure(screen, MpvCommand, *bench, runs, launches, mpv);

  std::printf("\nwhole program, key press (XTest) -> the new picture on screen; medians\n");
  std::printf("%-46s %12s %12s\n", "", "Korvane", "mpv CLI");
  Row("launch with a folder -> first frame", ours.launch, mpv.launch, "<= 1.0");
  Row("Down -> next file's first frame", ours.down, mpv.down, "<= 0.4");
  TailRow("  Down, our 90th percentile / mpv's median", ours.down, mpv.down);
  Row("Up -> previous file's first frame", ours.up, mpv.up, "<= 0.4");
  TailRow("  Up, our 90th percentile / mpv's median", ours.up, mpv.up);
  if (ours.strays || mpv.strays)
    std::printf("%-46s %9d    %9d       (presses that ended elsewhere, not timed)\n", "  Down/Up off the neighbour", ours.strays,
                mpv.strays);
  std::printf("%-46s %9.1f MB %9.1f MB   ratio %.2f  (target <= 1.3)\n", "RSS after the moves (opening ahead)",
              ours.movesRssKb / 1024.0, mpv.movesRssKb / 1024.0,
              mpv.movesRssKb > 0 ? static_cast<double>(ours.movesRssKb) / mpv.movesRssKb : 0);
  Row("+30 s -> frame at target, 2 s GOP (keyframe)", ours.seek2, mpv.seek2, "<= 1.0");
  Row("+30 s -> frame at target, 10 s GOP (exact)", ours.seek10, mpv.seek10, "<= 1.0");
  return 0;
}

}  // namespace
}  // namespace korvane::bench

int main(int argc, char** argv) {
  korvane::bench::RunUnderXvfbWithoutDisplay(argc, argv);
  return korvane::bench::Main(argc, argv);
}
