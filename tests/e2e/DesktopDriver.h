#pragma once
// Whole-program test support beyond the main window: the program's dialogs and
// menus, driven by keys and clicks as a user would, and what a user does from
// outside the program: dragging files onto it, reading what it copied.
#include <chrono>
#include <string>
#include <vector>

#include "harness/KorvaneProcess.h"

namespace korvane::test {

// The program's visible window other than the main window with exactly this
// caption, waiting up to timeout for it; 0 if none shows.
unsigned long WaitForDialog(TKorvaneProcess& korvane, const std::string& caption, std::chrono::milliseconds timeout);
// Whether the window is no longer visible within timeout.
bool WaitUntilHidden(TKorvaneProcess& korvane, unsigned long window, std::chrono::milliseconds timeout);

// Keys in xdotool's names, or text typed character by character, sent to the
// window after focusing it; on Weston to the window that has the focus.
void KeyTo(unsigned long window, const std::string& keys);
void TypeTo(unsigned long window, const std::string& text);
// A left click at (x, y) of the window. On Weston the window must be the
// only one shown: there a program's windows are found by sight alone.
void ClickAt(unsigned long window, int x, int y);

// Opens the menu bar's menu-th menu with a click and picks its item-th entry
// with the keyboard (both from 0; separators do not count). False, and a
// failure of the test, when no menu opens.
bool ChooseMenu(TKorvaneProcess& korvane, int menu, int item);

// Drags the paths from another client onto (x, y) of the main window and
// drops them there (on X the XDND protocol, as a file manager does; on Weston
// a Wayland drag from another program's window). True when the window
// accepted the drop and said it is finished.
bool DropPaths(TKorvaneProcess& korvane, int x, int y, const std::vector<std::string>& paths);

// The clipboard's text, "" when it is empty or its owner does not answer.
std::string ClipboardText();

}  // namespace korvane::test
