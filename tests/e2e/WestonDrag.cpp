#include "tests/e2e/WestonDrag.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <sstream>

#include "harness/KorvaneProcess.h"
#include "harness/Weston.h"

namespace korvane::test {

namespace {

using namespace std::chrono_literals;

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

}  // namespace

bool DropPathsOnWeston(int x, int y, const std::string& uriList, const std::function<std::string()>& traceOf) {
  const std::optional<TArea> target = ShownArea();
  if (!target) return false;
  TTempDir work;
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
