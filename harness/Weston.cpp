#include "harness/Weston.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <utility>

#include "harness/KorvaneProcess.h"

namespace korvane::test {

namespace {

std::string Id(unsigned long window) { return std::to_string(window); }

std::optional<TArea> AreaOf(const std::string& region) {
  TArea area;
  if (std::sscanf(region.c_str(), "%dx%d+%d+%d", &area.width, &area.height, &area.x, &area.y) != 4) return std::nullopt;
  return area;
}

// Runs an X tool; false, said on stderr, when it failed.
bool Ran(const std::vector<std::string>& argv) {
  const TToolRun run = RunTool(argv);
  if (run.status != 0) std::fprintf(stderr, "%s failed (%d): %s\n", argv[0].c_str(), run.status, run.out.c_str());
  return run.status == 0;
}

bool CaptureScreen(const std::string& pngPath) { return Ran({"import", "-window", Id(WestonWindow()), pngPath}); }

// The smallest region ("WxH+X+Y") holding every pixel that is not (apart) or
// that is (!apart) of the colour; "" when there is none or on failure.
std::string RegionOfColour(const std::string& png, const std::string& colour, bool apart) {
  // A frame of the colour makes it the background that the bounding box leaves out.
  std::vector<std::string> command{"convert", png};
  if (!apart) command.insert(command.end(), {"-fill", "black", "+opaque", colour, "-fill", "white", "-opaque", colour});
  command.insert(command.end(), {"-bordercolor", apart ? colour : "black", "-border", "1", "-format", "%@", "info:"});
  // Nothing found comes with a warning on stderr.
  const TToolRun run = RunTool(command, false);
  std::optional<TArea> area = AreaOf(run.out);
  if (run.status != 0 || !area) {
    std::fprintf(stderr, "convert failed (%d): %s\n", run.status, run.out.c_str());
    return "";
  }
  if (area->width <= 1 || area->height <= 1) return "";
  return std::to_string(area->width) + "x" + std::to_string(area->height) + "+" + std::to_string(area->x - 1) + "+" +
         std::to_string(area->y - 1);
}

std::string Background() {
  const char* colour = std::getenv("KORVANE_TEST_WESTON_BACKGROUND");
  return colour ? colour : "";
}

// Reads the trace line by line: the requests and events that make, name,
// focus and destroy windows. Object ids are reused once destroyed.
class TTraceReader {
 public:
  void Read(const std::string& line) {
    const bool justEntered = std::exchange(FJustEntered, false);
    if (ReadSync(line, justEntered)) return;
    // Most lines are the pictures' frames: a plain search passes them by first.
    if (line.find("xdg_") == std::string::npos && line.find("wl_keyboard@") == std::string::npos) return;
    static const std::regex xdgSurface(R"re(-> xdg_wm_base@\d+\.get_xdg_surface\(new id xdg_surface@(\d+), wl_surface@(\d+)\))re"),
        toplevel(R"re(-> xdg_surface@(\d+)\.get_toplevel\(new id xdg_toplevel@(\d+)\))re"),
        title(R"re(-> xdg_toplevel@(\d+)\.set_title\("(.*)"\)$)re"),
        toplevelGone(R"re(-> xdg_toplevel@(\d+)\.destroy\(\))re"),
        configure(R"re(\] xdg_surface@(\d+)\.configure\((\d+)\))re"),
        ack(R"re(-> xdg_surface@(\d+)\.ack_configure\((\d+)\))re"),
        popup(R"re(-> xdg_surface@\d+\.get_popup\(new id xdg_popup@(\d+))re"),
        popupGone(R"re(-> xdg_popup@(\d+)\.destroy\(\))re"),
        focus(R"re(\] wl_keyboard@\d+\.enter\(\d+, wl_surface@(\d+))re"),
        unfocus(R"re(\] wl_keyboard@\d+\.leave\()re");
    std::smatch match;
    if (std::regex_search(line, match, xdgSurface)) {
      FSurfaceOf[match[1]] = match[2];
    } else if (std::regex_search(line, match, toplevel)) {
      FToplevelOf[match[2]] = FToplevelOfXdg[match[1]] = FTrace.toplevels.size();
      FTrace.toplevels.push_back({.surface = FSurfaceOf[match[1]]});
      FConfigures.emplace_back();
    } else if (std::regex_search(line, match, title) && FToplevelOf.count(match[1])) {
      FTrace.toplevels[FToplevelOf[match[1]]].title = match[2];
    } else if (std::regex_search(line, match, toplevelGone) && FToplevelOf.count(match[1])) {
      FTrace.toplevels[FToplevelOf[match[1]]].shown = false;
      std::erase_if(FToplevelOfXdg, [&](const auto& entry) { return entry.second == FToplevelOf[match[1]]; });
      FToplevelOf.erase(match[1]);
    } else if (std::regex_search(line, match, configure) && FToplevelOfXdg.count(match[1])) {
      FConfigures[FToplevelOfXdg[match[1]]].sent = match[2];
    } else if (std::regex_search(line, match, ack) && FToplevelOfXdg.count(match[1])) {
      FConfigures[FToplevelOfXdg[match[1]]].acked = match[2];
    } else if (std::regex_search(line, match, popup)) {
      FPopups.insert(match[1]);
    } else if (std::regex_search(line, match, popupGone)) {
      FPopups.erase(match[1]);
    } else if (std::regex_search(line, match, focus)) {
      FFocused = match[1];
      FAwaitedSyncs = FOutstandingSyncs;
      FJustEntered = true;
    } else if (std::regex_search(line, unfocus)) {
      FFocused.clear();
    }
  }

  TSurfaceTrace Result() const {
    TSurfaceTrace trace = FTrace;
    // Qt makes a window active only as it takes in the configure that says
    // so: keys that come before would find no window for their short-cuts.
    for (size_t i = 0; i < trace.toplevels.size(); ++i) {
      TToplevel& toplevel = trace.toplevels[i];
      toplevel.focused = toplevel.shown && toplevel.surface == FFocused && FConfigures[i].sent == FConfigures[i].acked &&
                         FAwaitedSyncs.empty();
    }
    trace.openPopups = static_cast<int>(FPopups.size());
    return trace;
  }

 private:
  // Qt activates the window that took the keyboard only once the server has
  // answered the sync it sends right after the enter (or one already under
  // way then). True for a line about a sync. An answer to a callback already
  // given up is not traced, only the freeing of its id.
  bool ReadSync(const std::string& line, bool justEntered) {
    static const std::regex request(R"re(-> wl_display@1\.sync\(new id wl_callback@(\d+)\))re"),
        done(R"re(\] (?:wl_callback@(\d+)\.done\(|wl_display@1\.delete_id\((\d+)\)))re");
    if (line.find("wl_display@1.") == std::string::npos && line.find(".done(") == std::string::npos) return false;
    std::smatch match;
    if (std::regex_search(line, match, request)) {
      FOutstandingSyncs.insert(match[1]);
      if (justEntered) FAwaitedSyncs.insert(match[1]);
      return true;
    }
    if (!std::regex_search(line, match, done)) return false;
    const std::string id = match[1].matched ? match[1] : match[2];
    FOutstandingSyncs.erase(id);
    FAwaitedSyncs.erase(id);
    return true;
  }

  struct TConfigures {
    std::string sent, acked;  // the serials of the last configure and of the last one taken in
  };
  TSurfaceTrace FTrace;
  std::vector<TConfigures> FConfigures;           // beside FTrace.toplevels
  std::map<std::string, std::string> FSurfaceOf;  // an xdg_surface's wl_surface
  std::map<std::string, size_t> FToplevelOf;      // a shown xdg_toplevel's place in FTrace
  std::map<std::string, size_t> FToplevelOfXdg;   // the same by its xdg_surface
  std::set<std::string> FPopups;
  std::string FFocused;  // the wl_surface with the keyboard
  std::set<std::string> FOutstandingSyncs, FAwaitedSyncs;  // callbacks of syncs sent and not yet answered
  bool FJustEntered = false;  // the line before was the keyboard's enter
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
  TTempDir shots;
  if (!CaptureScreen(shots / "screen.png")) return std::nullopt;
  return AreaOf(RegionOfColour(shots / "screen.png", Background(), true));
}

bool CaptureShownArea(const std::string& pngPath) {
  if (!CaptureScreen(pngPath)) return false;
  const std::string region = RegionOfColour(pngPath, Background(), true);
  return !region.empty() && Ran({"convert", pngPath, "-crop", region, "+repage", pngPath});
}

std::optional<TArea> AreaOfColour(const std::string& colour) {
  TTempDir shots;
  if (!CaptureScreen(shots / "screen.png")) return std::nullopt;
  return AreaOf(RegionOfColour(shots / "screen.png", colour, false));
}

// No --sync: that waits for long on a move to where the pointer is already.
void PointerTo(int x, int y) {
  RunTool({"xdotool", "mousemove", "--window", Id(WestonWindow()), std::to_string(x), std::to_string(y)});
}

void PointerToTheMiddle() { PointerTo(640, 512); }

}  // namespace korvane::test
