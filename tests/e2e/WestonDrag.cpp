#include "tests/e2e/WestonDrag.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>

#include "harness/KorvaneProcess.h"
#include "harness/Weston.h"

namespace korvane::test {

namespace {

using namespace std::chrono_literals;

void Button(const char* upOrDown) { RunTool({"xdotool", upOrDown, "1"}); }

// Whether Weston has told the drag source, in its protocol trace, that the
// window under the pointer takes the drag: its last word on the target names
// a type and on the action names one. Only then does Weston drop on a release.
bool TargetTakesDrag(const std::string& sourceTracePath) {
  static const std::regex target(R"re(\] wl_data_source@\d+\.target\((.*)\))re"),
      action(R"re(\] wl_data_source@\d+\.action\((\d+)\))re");
  bool typed = false, acted = false;
  std::ifstream trace(sourceTracePath);
  std::smatch match;
  for (std::string line; std::getline(trace, line);) {
    if (line.find("wl_data_source@") == std::string::npos) continue;
    if (std::regex_search(line, match, target)) typed = match[1] != "\"\"" && match[1] != "nil";
    else if (std::regex_search(line, match, action)) acted = match[1] != "0";
  }
  return typed && acted;
}

std::string DragSourcePath() {
  const char* build = std::getenv("KORVANE_BUILD_DIR");
  return std::string(build ? build : ".") + "/tests/e2e/korvane_test_drag_source";
}

}  // namespace

bool DropPathsOnWeston(int x, int y, const std::string& uriList) {
  const std::optional<TArea> target = ShownArea();
  if (!target) return false;
  TTempDir work;
  const std::string marker = work / "dragging", sourceTrace = work / "trace";
  const pid_t source = fork();
  if (source == 0) {
    unsetenv("DISPLAY");
    setenv("WAYLAND_DEBUG", "client", 1);
    if (!freopen(sourceTrace.c_str(), "w", stderr)) _exit(127);
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
    Button("mousedown");
    if (WaitUntil([&] { return access(marker.c_str(), F_OK) == 0; }, 10s)) {
      // A program answers a drag's moves: the pointer keeps moving a little until it takes it.
      int step = 0;
      const bool taken = WaitUntil([&] {
        PointerTo(toX + (++step % 2), toY);
        return TargetTakesDrag(sourceTrace);
      }, 10s);
      Button("mouseup");
      dropped = taken && WaitUntil(sourceEnded, 10s) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
      if (!taken) std::fprintf(stderr, "the program never took the drag\n");
      else if (!dropped) std::fprintf(stderr, "the drag source did not see its drop taken (status %d)\n", status);
    } else {
      std::fprintf(stderr, "the drag source began no drag\n");
      Button("mouseup");
    }
  } else {
    std::fprintf(stderr, "the drag source's window did not show\n");
  }
  if (waitpid(source, &status, WNOHANG) == 0) {
    kill(source, SIGKILL);
    waitpid(source, &status, 0);
  }
  PointerToTheMiddle();
  return dropped;
}

}  // namespace korvane::test
