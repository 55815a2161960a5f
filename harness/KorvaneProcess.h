#pragma once
// The real program driven from outside (whole-program tests, soaks): starts
// build/Korvane on the test's display (or on a Weston in it, see Weston.h)
// with a private ini file, home and runtime folder, finds its main window,
// drives it with keys, reads its caption, takes screenshots and watches which
// files it holds open.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "harness/TempDir.h"
#include "harness/TestTime.h"

namespace korvane::test {

// The program under test; "" when it has not been built.
std::string KorvanePath();
// Why whole-program tests cannot run here, or "" when they can.
std::string WholeProgramSkipReason();
// Generates a clip of test pattern and tone with ffmpeg, about 1 MB for 2 s
// (above the filter's default lower size bound); returns its path.
std::string MakeClip(const std::string& dir, const std::string& name, double seconds);

// Runs a shell command; its standard output without the last newline.
std::string CommandOutput(const std::string& command);

struct TToolRun {
  int status = -1;  // the exit status; -1 when it did not run or was killed
  std::string out;  // standard output (and standard error) without the last newline
};
// Runs a program found on PATH with exactly these arguments, no shell between.
TToolRun RunTool(const std::vector<std::string>& argv, bool withStderr = true);

// An xdotool key or type command ({"key", ...}) for the window, focused first.
void SendKeys(unsigned long window, const std::vector<std::string>& command);

// What any program under test may take to start, show its window and open
// its first file; scaled as every wait is.
inline constexpr std::chrono::milliseconds kStartUp{15000};

// Polls condition every 20 ms until it holds or the timeout (scaled, see TestTime.h) passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// The environment that names a home of its own and its data, config and cache
// folders below it, as "NAME=value".
std::vector<std::string> PrivateHome(const std::string& home);

// Asks a top-level window to close, as a window manager's close button would.
void AskWindowToClose(unsigned long window);

// How a program under test is started, beyond its arguments.
struct TStartOptions {
  std::string iniText{};  // written to its private ini file first; none when empty
  std::string runtime{};  // the runtime folder of another instance; "" for one of its own (mode 0700)
  std::string workDir{};  // its working folder; "" leaves the test's
  std::string program{};  // a copy of the program, which uses the ini beside it; "" for the one built here
};

// The program on the test's X display. Its home, data, config and cache
// folders are its own; the session bus is the private one that is up, none
// when there is none.
class TKorvaneProcess {
 public:
  TKorvaneProcess(const std::vector<std::string>& args, const TStartOptions& options);
  explicit TKorvaneProcess(const std::vector<std::string>& args, const std::string& iniText = "")
      : TKorvaneProcess(args, TStartOptions{.iniText = iniText}) {}
  // Closes the window if still running, then kills what is left after 10 s.
  ~TKorvaneProcess();
  TKorvaneProcess(const TKorvaneProcess&) = delete;
  TKorvaneProcess& operator=(const TKorvaneProcess&) = delete;

  pid_t Pid() const { return FPid; }
  const std::string& IniPath() const { return FIni; }
  const std::string& RuntimeDir() const { return FRuntime; }
  // Its own XDG_DATA_HOME, where its trash is.
  std::string DataHome() const { return FHome / "data"; }
  // The visible main window (found on first use, waiting up to kStartUp); 0 if none.
  // On Weston (see Weston.h) a handle of the harness's own, not an X window.
  unsigned long Window();
  std::string Caption();
  // On Weston, waits a while for the main window to have the keyboard: it
  // gets it back only once a closed dialog has faded out. Elsewhere nothing.
  void AwaitKeyboard();
  // Keys in xdotool's names ("Down", "ctrl+Right", "space"), sent to the focused main window.
  void Key(const std::string& keys);
  // Asks the window to close, as a window manager's close button would.
  void Close();
  // Waits for the process to end: its exit status, 128 + the signal that
  // killed it, or -1 on timeout (after printing its threads' stacks).
  int WaitForExit(std::chrono::milliseconds timeout);
  bool Running();
  // The distinct files below `dir` seen open, sorted, once `count` of them
  // were seen or the timeout passed.
  std::vector<std::string> SeenOpenBelow(const std::string& dir, size_t count, std::chrono::milliseconds timeout);
  // Paths of the regular files among the process's open descriptors below `dir`.
  std::vector<std::string> OpenFilesBelow(const std::string& dir) const;
  // Those of them that the caption names: the file playing, not those opened ahead.
  std::vector<std::string> PlayingFilesBelow(const std::string& dir);
  // Saves a screenshot of the main window; true on success. On Weston the
  // main window must be the only one shown.
  bool Screenshot(const std::string& pngPath);
  // Its standard error; on Weston without the protocol trace, which Trace() gives.
  std::string Stderr() const;
  std::string Trace() const;

 private:
  // In the child: its environment, its standard error, then the program.
  [[noreturn]] void Exec(const std::vector<std::string>& args, const TStartOptions& options) const;
  // On Weston: the first top-level still shown, by its place from 1; 0 if none.
  unsigned long MainToplevel() const;
  bool Focused(unsigned long toplevel) const;

  TTempDir FHome;
  std::string FIni;
  std::string FRuntime;
  std::string FStderrPath;
  pid_t FPid = -1;
  int FStatus = -1;
  bool FReaped = false;
  unsigned long FWindow = 0;
};

}  // namespace korvane::test
