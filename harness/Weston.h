#pragma once
// The real program on Wayland: it runs on a Weston that is a window of the
// test's X display (scripts/with-weston.sh --on-x). X tools
// reach them only as a user does: keys and the pointer go to Weston's window
// and from there to the focused program, and a screenshot of that window is
// what the user sees. Which windows a program shows, and their titles, are
// read from its own Wayland protocol trace (WAYLAND_DEBUG on its stderr).
#include <optional>
#include <string>
#include <vector>

namespace korvane::test {

// Whether the programs under test run on such a Weston.
bool OnWeston();
// Weston's X window: the target of every key and click on Weston.
unsigned long WestonWindow();
// In a child about to start a program: the environment that puts it on
// Weston alone, its protocol traced and its windows without decorations (a
// window on the screen is then exactly the part the program draws).
void UseWestonInChild();

// A top-level window of the program, as its protocol trace tells.
struct TToplevel {
  std::string surface{};  // its Wayland surface's object id
  std::string title{};
  bool shown = true;      // until the program destroys it, which Qt does on a hide
  bool focused = false;   // it has the keyboard, and Qt has made it the active window
};
struct TSurfaceTrace {
  std::vector<TToplevel> toplevels;  // every one made, in order
  int openPopups = 0;                // menus and other pop-ups shown now
};
TSurfaceTrace ReadSurfaceTrace(const std::string& stderrText);
// The text without the protocol trace's lines.
std::string WithoutTrace(const std::string& stderrText);

struct TArea {
  int x = 0, y = 0, width = 0, height = 0;
};
// What stands out from the desktop's background on Weston's screen: the
// program's window when it is the only one shown; none on a failed capture
// (said on stderr).
std::optional<TArea> ShownArea();
// Weston's pointer is no larger than this in either direction.
inline constexpr int kLargestPointer = 64;
// Saves the shown area, as ShownArea() finds it, as a PNG; true on success.
bool CaptureShownArea(const std::string& pngPath);
// Where on Weston's screen a window of one plain colour is; none when absent.
std::optional<TArea> AreaOfColour(const std::string& colour);
// Moves the pointer to the middle of the screen. The program's main window
// is more than half the screen in each direction, so wherever the shell
// placed it, the middle is inside it and the pointer hides no edge of it.
void PointerToTheMiddle();

// The pointer to (x, y) of Weston's screen.
void PointerTo(int x, int y);

}  // namespace korvane::test
