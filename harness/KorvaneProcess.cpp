#include "harness/KorvaneProcess.h"
#include "harness/SessionBus.h"
#include "harness/Weston.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace korvane::test {

namespace {

using namespace std::chrono_literals;

// Runs a shell command and gives its standard output without the last newline.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}


bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

}  // namespace

std::string CommandOutput(const std::string& command) { return Output(command); }

TToolRun RunTool(const std::vector<std::string>& argv, bool withStderr) {
  TToolRun run;
  int pipeEnds[2];
  if (argv.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0) return run;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    const int err = withStderr ? pipeEnds[1] : open("/dev/null", O_WRONLY);
    if (err >= 0) dup2(err, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  char buffer[512];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
    if (n > 0) run.out.append(buffer, static_cast<size_t>(n));
    else if (errno != EINTR) break;
  }
  close(pipeEnds[0]);
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  while (!run.out.empty() && run.out.back() == '\n') run.out.pop_back();
  return run;
}


std::string KorvanePath() {
  const char* build = std::getenv("KORVANE_BUILD_DIR");
  const std::string path = std::string(build ? build : ".") + "/Korvane";
  return access(path.c_str(), X_OK) == 0 ? path : "";
}

std::string WholeProgramSkipReason() {
  if (!std::getenv("DISPLAY")) return "no X display: run under xvfb-run";
  if (KorvanePath().empty()) return "build/Korvane has not been built (it needs the libmpv player)";
  for (const char* tool : {"xdotool", "ffmpeg", "import"})
    if (Output(std::string("command -v ") + tool).empty()) return std::string(tool) + " is not installed";
  return "";
}

std::string MakeClip(const std::string& dir, const std::string& name, double seconds) {
  const std::string path = dir + "/" + name, duration = std::to_string(seconds);
  const TToolRun run = RunTool({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                "testsrc2=size=480x360:rate=25:duration=" + duration, "-f", "lavfi", "-i",
                                "sine=frequency=440:duration=" + duration, "-c:v", "mpeg4", "-q:v", "1", "-c:a", "aac",
                                "-shortest", path});
  return run.status == 0 ? path : "";
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + Scaled(timeout);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

std::vector<std::string> PrivateHome(const std::string& home) {
  return {"HOME=" + home, "XDG_DATA_HOME=" + home + "/data", "XDG_CONFIG_HOME=" + home + "/config",
          "XDG_CACHE_HOME=" + home + "/cache"};
}

TKorvaneProcess::TKorvaneProcess(const std::vector<std::string>& args, const TStartOptions& options)
    : FIni(FHome / "Korvane.ini"), FRuntime(options.runtime), FStderrPath(FHome / "stderr.txt") {
  if (FRuntime.empty()) {
    FRuntime = FHome.MakeDir("runtime");
    chmod(FRuntime.c_str(), 0700);  // a folder open to others would not be used
  }
  if (!options.iniText.empty()) std::ofstream(FIni) << options.iniText;
  FPid = fork();
  if (FPid == 0) Exec(args, options);
}

void TKorvaneProcess::Exec(const std::vector<std::string>& args, const TStartOptions& options) const {
  for (const std::string& variable : PrivateHome(FHome.Path())) putenv(strdup(variable.c_str()));
  if (const std::string& bus = TPrivateSessionBus::Address(); bus.empty()) unsetenv("DBUS_SESSION_BUS_ADDRESS");
  else setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
  if (options.program.empty()) setenv("KORVANE_INI", FIni.c_str(), 1);
  else unsetenv("KORVANE_INI");
  setenv("XDG_RUNTIME_DIR", FRuntime.c_str(), 1);
  if (OnWeston()) UseWestonInChild();
  if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
  const int err = open(FStderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (err >= 0) dup2(err, STDERR_FILENO);
  const std::string program = options.program.empty() ? KorvanePath() : options.program;
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

TKorvaneProcess::~TKorvaneProcess() {
  if (!Running()) return;
  Close();
  if (WaitForExit(10s) == -1 && Running()) {
    kill(FPid, SIGKILL);
    waitpid(FPid, &FStatus, 0);
    FReaped = true;
  }
}

bool TKorvaneProcess::Running() {
  if (FPid <= 0 || FReaped) return false;
  const pid_t done = waitpid(FPid, &FStatus, WNOHANG);
  if (done == FPid) FReaped = true;
  return done == 0;
}

int TKorvaneProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (!WaitUntil([this] { return !Running(); }, timeout)) {
    if (!FReaped && FPid > 0) {
      std::fprintf(stderr, "Korvane (pid %d) still runs after %lld ms; its threads:\n%s\n", static_cast<int>(FPid),
                   static_cast<long long>(timeout.count()),
                   Output("gdb -batch -nx -p " + std::to_string(FPid) + " -ex 'thread apply all bt' 2>&1").c_str());
    }
    return -1;
  }
  if (WIFSIGNALED(FStatus)) return 128 + WTERMSIG(FStatus);
  return WIFEXITED(FStatus) ? WEXITSTATUS(FStatus) : -1;
}

namespace {

// Whether window is a child of the root: the main window or a dialog, not one
// of the picture's native windows, which carry the process's id as well.
bool IsTopLevel(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  const bool listed = XQueryTree(display, window, &root, &parent, &children, &count) != 0;
  if (children) XFree(children);
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return listed && parent == root;
}

}  // namespace

unsigned long TKorvaneProcess::Window() {
  if (FWindow == 0 && Running() && OnWeston()) {
    // A handle to the main window is its place among the top-levels the program made, from 1.
    WaitUntil([this] { return MainToplevel() != 0 || !Running(); }, kStartUp);
    FWindow = MainToplevel();
    if (FWindow) {
      PointerToTheMiddle();
      // Until Weston draws the window, what stands out of its background is the pointer alone.
      WaitUntil([] {
        const std::optional<TArea> shown = ShownArea();
        return shown && shown->width > kLargestPointer && shown->height > kLargestPointer;
      }, kStartUp);
    }
  } else if (FWindow == 0 && Running()) {
    WaitUntil([this] {
      std::istringstream found(Output("xdotool search --onlyvisible --pid " + std::to_string(FPid) + " 2>/dev/null"));
      for (unsigned long window = 0; FWindow == 0 && found >> window;)
        if (IsTopLevel(window)) FWindow = window;
      return FWindow != 0 || !Running();
    }, kStartUp);
  }
  return FWindow;
}

unsigned long TKorvaneProcess::MainToplevel() const {
  const TSurfaceTrace trace = ReadSurfaceTrace(Trace());
  for (size_t i = 0; i < trace.toplevels.size(); ++i)
    if (trace.toplevels[i].shown) return i + 1;
  return 0;
}

bool TKorvaneProcess::Focused(unsigned long toplevel) const {
  const TSurfaceTrace trace = ReadSurfaceTrace(Trace());
  return toplevel > 0 && toplevel <= trace.toplevels.size() && trace.toplevels[toplevel - 1].focused;
}

std::string TKorvaneProcess::Caption() {
  const unsigned long window = Window();
  if (!window) return "";
  if (!OnWeston()) return Output("xdotool getwindowname " + std::to_string(window));
  const TSurfaceTrace trace = ReadSurfaceTrace(Trace());
  return window <= trace.toplevels.size() ? trace.toplevels[window - 1].title : "";
}

void TKorvaneProcess::AwaitKeyboard() {
  if (OnWeston()) WaitUntil([this] { return MainToplevel() != 0 && Focused(MainToplevel()); }, kStartUp);
}

void TKorvaneProcess::Key(const std::string& keys) {
  AwaitKeyboard();
  SendKeys(Window(), {"key", "--clearmodifiers", keys});
}

void SendKeys(unsigned long window, const std::vector<std::string>& command) {
  // On Weston the keys go to the window that has the keyboard, as a user's
  // do; Weston's own X window has the X focus from the start, and focusing it
  // again would take the keyboard from the program and give it back.
  std::vector<std::string> argv{"xdotool"};
  if (!OnWeston()) argv.insert(argv.end(), {"windowfocus", "--sync", std::to_string(window)});
  argv.insert(argv.end(), command.begin(), command.end());
  RunTool(argv);
}

void TKorvaneProcess::Close() {
  // Weston gives no other client a way to ask a window to close; the
  // program takes a SIGTERM as its window's close.
  const unsigned long window = OnWeston() ? 0 : Window();
  if (!window) {
    if (Running()) kill(FPid, SIGTERM);
    return;
  }
  AskWindowToClose(window);
}

void AskWindowToClose(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  // The window may be gone already; that is no error of the test's.
  auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
}

std::vector<std::string> TKorvaneProcess::SeenOpenBelow(const std::string& dir, size_t count,
                                                        std::chrono::milliseconds timeout) {
  std::vector<std::string> seen;
  WaitUntil([&] {
    for (const std::string& path : OpenFilesBelow(dir))
      if (std::find(seen.begin(), seen.end(), path) == seen.end()) seen.push_back(path);
    return seen.size() >= count;
  }, timeout);
  std::sort(seen.begin(), seen.end());
  return seen;
}

std::vector<std::string> TKorvaneProcess::OpenFilesBelow(const std::string& dir) const {
  std::vector<std::string> files;
  const std::string fdDir = "/proc/" + std::to_string(FPid) + "/fd";
  DIR* fds = opendir(fdDir.c_str());
  if (!fds) return files;
  while (dirent* entry = readdir(fds)) {
    char target[4096];
    const ssize_t n = readlink((fdDir + "/" + entry->d_name).c_str(), target, sizeof target - 1);
    if (n <= 0) continue;
    const std::string path(target, static_cast<size_t>(n));
    if (path.rfind(dir + "/", 0) == 0 && Exists(path)) files.push_back(path);
  }
  closedir(fds);
  return files;
}

std::vector<std::string> TKorvaneProcess::PlayingFilesBelow(const std::string& dir) {
  // The caption ends with the media's name after its picture size: "Korvane 320x240 a".
  const std::string caption = Caption();
  std::vector<std::string> playing;
  for (const std::string& path : OpenFilesBelow(dir)) {
    std::string name = path.substr(path.rfind('/') + 1);
    name = " " + name.substr(0, name.rfind('.'));
    if (caption.size() >= name.size() && caption.compare(caption.size() - name.size(), name.size(), name) == 0)
      playing.push_back(path);
  }
  return playing;
}

bool TKorvaneProcess::Screenshot(const std::string& pngPath) {
  const unsigned long window = Window();
  if (window && OnWeston()) return CaptureShownArea(pngPath);
  return window && RunTool({"import", "-window", std::to_string(window), pngPath}).status == 0;
}

std::string TKorvaneProcess::Stderr() const { return WithoutTrace(ReadFile(FStderrPath)); }

std::string TKorvaneProcess::Trace() const { return ReadFile(FStderrPath); }

}  // namespace korvane::test
