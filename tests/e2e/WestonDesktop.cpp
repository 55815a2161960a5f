#include "tests/e2e/WestonDesktop.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "tests/e2e/Images.h"
#include "tests/e2e/KorvaneProcess.h"

namespace korvane::test {

namespace {

using namespace std::chrono_literals;

std::string Id(unsigned long window) { return std::to_string(window); }

std::optional<TArea> AreaOf(const std::string& region) {
  TArea area;
  if (std::sscanf(region.c_str(), "%dx%d+%d+%d", &area.width, &area.height, &area.x, &area.y) != 4) return std::nullopt;
  return area;
}

bool CaptureScreen(const std::string& pngPath) {
  const TToolRun run = RunTool({"import", "-window", Id(WestonWindow()), pngPath});
  if (run.status != 0) ADD_FAILURE() << "no screenshot of Weston's window: " << run.out;
  return run.status == 0;
}

std::string Background() {
  const char* colour = std::getenv("KORVANE_TEST_WESTON_BACKGROUND");
  return colour ? colour : "";
}

// No --sync: that waits for long on a move to where the pointer is already.
void PointerTo(int x, int y) {
  RunTool({"xdotool", "mousemove", "--window", Id(WestonWindow()), std::to_string(x), std::to_string(y)});
}

void Button(const char* upOrDown) { RunTool({"xdotool", upOrDown, "1"}); }

// How often the trace shows the program accepting a drag: an accept naming a
// type (a refusal names none).
size_t DragAccepts(const std::string& trace) {
  static const std::regex accept(R"re(-> wl_data_offer@\d+\.accept\(\d+, ")re");
  size_t accepts = 0;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);)
    if (line.find("-> wl_data_offer@") != std::string::npos && std::regex_search(line, accept)) ++accepts;
  return accepts;
}

std::string DragSourcePath() {
  const char* build = std::getenv("KORVANE_BUILD_DIR");
  return std::string(build ? build : ".") + "/tests/e2e/korvane_test_drag_source";
}

// Reads the trace line by line: the requests and events that make, name,
// focus and destroy windows. Object ids are reused once destroyed.
class TTraceReader {
 public:
  void Read(const std::string& line) {
    // Most lines are the pictures' frames: a plain search passes them by first.
    if (line.find("xdg_") == std::string::npos && line.find("wl_keyboard@") == std::string::npos) return;
    static const std::regex xdgSurface(R"re(-> xdg_wm_base@\d+\.get_xdg_surface\(new id xdg_surface@(\d+), wl_surface@(\d+)\))re"),
        toplevel(R"re(-> xdg_surface@(\d+)\.get_toplevel\(new id xdg_toplevel@(\d+)\))re"),
        title(R"re(-> xdg_toplevel@(\d+)\.set_title\("(.*)"\)$)re"),
        toplevelGone(R"re(-> xdg_toplevel@(\d+)\.destroy\(\))re"),
        popup(R"re(-> xdg_surface@\d+\.get_popup\(new id xdg_popup@(\d+))re"),
        popupGone(R"re(-> xdg_popup@(\d+)\.destroy\(\))re"),
        focus(R"re(\] wl_keyboard@\d+\.enter\(\d+, wl_surface@(\d+))re"),
        unfocus(R"re(\] wl_keyboard@\d+\.leave\()re");
    std::smatch match;
    if (std::regex_search(line, match, xdgSurface)) {
      surfaceOf_[match[1]] = match[2];
    } else if (std::regex_search(line, match, toplevel)) {
      toplevelOf_[match[2]] = trace_.toplevels.size();
      trace_.toplevels.push_back({.surface = surfaceOf_[match[1]]});
    } else if (std::regex_search(line, match, title) && toplevelOf_.count(match[1])) {
      trace_.toplevels[toplevelOf_[match[1]]].title = match[2];
    } else if (std::regex_search(line, match, toplevelGone) && toplevelOf_.count(match[1])) {
      trace_.toplevels[toplevelOf_[match[1]]].shown = false;
      toplevelOf_.erase(match[1]);
    } else if (std::regex_search(line, match, popup)) {
      popups_.insert(match[1]);
    } else if (std::regex_search(line, match, popupGone)) {
      popups_.erase(match[1]);
    } else if (std::regex_search(line, match, focus)) {
      focused_ = match[1];
    } else if (std::regex_search(line, unfocus)) {
      focused_.clear();
    }
  }

  TSurfaceTrace Result() const {
    TSurfaceTrace trace = trace_;
    for (TToplevel& toplevel : trace.toplevels) toplevel.focused = toplevel.shown && toplevel.surface == focused_;
    trace.openPopups = static_cast<int>(popups_.size());
    return trace;
  }

 private:
  TSurfaceTrace trace_;
  std::map<std::string, std::string> surfaceOf_;  // an xdg_surface's wl_surface
  std::map<std::string, size_t> toplevelOf_;      // a shown xdg_toplevel's place in trace_
  std::set<std::string> popups_;
  std::string focused_;  // the wl_surface with the keyboard
};

}  // namespace

bool OnWeston() { return std::getenv("KORVANE_TEST_WESTON_WINDOW") != nullptr; }

unsigned long WestonWindow() {
  const char* window = std::getenv("KORVANE_TEST_WESTON_WINDOW");
  return window ? std::strtoul(window, nullptr, 10) : 0;
}

void UseWestonInChild() {
  unsetenv("DISPLAY");
  setenv("WAYLAND_DEBUG", "client", 1);
  setenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1", 1);
}

TSurfaceTrace ReadSurfaceTrace(const std::string& stderrText) {
  TTraceReader reader;
  std::istringstream lines(stderrText);
  for (std::string line; std::getline(lines, line);) reader.Read(line);
  return reader.Result();
}

std::string WithoutTrace(const std::string& stderrText) {
  // A trace line starts with its time stamp: "[4089402.119] ".
  const auto isTrace = [](const std::string& line) {
    const size_t end = line.find("] ");
    return line.size() > 1 && line[0] == '[' && end != std::string::npos &&
           line.find_first_not_of(" 0123456789.", 1) == end;
  };
  std::string text;
  std::istringstream lines(stderrText);
  for (std::string line; std::getline(lines, line);)
    if (!isTrace(line)) text += line + "\n";
  return text;
}

std::optional<TArea> ShownArea() {
  TempDir shots;
  if (!CaptureScreen(shots / "screen.png")) return std::nullopt;
  return AreaOf(RegionOfColour(shots / "screen.png", Background(), true));
}

bool CaptureShownArea(const std::string& pngPath) {
  if (!CaptureScreen(pngPath)) return false;
  const std::string region = RegionOfColour(pngPath, Background(), true);
  return !region.empty() && CropTo(pngPath, region);
}

std::optional<TArea> AreaOfColour(const std::string& colour) {
  TempDir shots;
  if (!CaptureScreen(shots / "screen.png")) return std::nullopt;
  return AreaOf(RegionOfColour(shots / "screen.png", colour, false));
}

void PointerToTheMiddle() { PointerTo(640, 512); }

bool DropPathsOnWeston(int x, int y, const std::string& uriList, const std::function<std::string()>& traceOf) {
  const std::optional<TArea> target = ShownArea();
  if (!target) return false;
  TempDir work;
  const std::string marker = work / "dragging";
  const pid_t source = fork();
  if (source == 0) {
    unsetenv("DISPLAY");
    execl(DragSourcePath().c_str(), DragSourcePath().c_str(), marker.c_str(), uriList.c_str(), nullptr);
    _exit(127);
  }
  int status = -1;
  const auto sourceEnded = [&] { return waitpid(source, &status, WNOHANG) == source; };
  std::optional<TArea> from;
  bool dropped = false;
  if (WaitUntil([&] { return (from = AreaOfColour("#ff00ff")).has_value() || sourceEnded(); }, 10s) && from) {
    // The source opens where the shell puts it, maybe over the drop point: then beside it.
    int toX = target->x + x, toY = target->y + y;
    if (toX >= from->x && toX < from->x + from->width && toY >= from->y && toY < from->y + from->height)
      toX = from->x + from->width + 20;
    PointerTo(from->x + from->width / 2, from->y + from->height / 2);
    const size_t accepts = DragAccepts(traceOf());
    Button("mousedown");
    if (WaitUntil([&] { return access(marker.c_str(), F_OK) == 0; }, 10s)) {
      // A program answers a drag's moves: the pointer keeps moving a little until it accepts.
      int step = 0;
      const bool accepted = WaitUntil([&] {
        PointerTo(toX + (++step % 2), toY);
        return DragAccepts(traceOf()) > accepts;
      }, 10s);
      Button("mouseup");
      dropped = accepted && WaitUntil(sourceEnded, 10s) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    } else {
      Button("mouseup");
    }
  }
  if (waitpid(source, &status, WNOHANG) == 0) {
    kill(source, SIGKILL);
    waitpid(source, &status, 0);
  }
  PointerToTheMiddle();
  return dropped;
}

}  // namespace korvane::test
