#include "platform/EscapeKey.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <atomic>
#include <cstdlib>

namespace korvane {

namespace {

std::atomic<bool> pressedSinceQuery{false};

// A display connection of our own, opened on first use; null without X.
Display* KeymapDisplay() {
  static Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
  return display;
}

bool EscapeDownNow() {
  Display* display = KeymapDisplay();
  if (!display) return false;
  const KeyCode code = XKeysymToKeycode(display, XK_Escape);
  if (code == 0) return false;
  char keys[32] = {};
  XQueryKeymap(display, keys);
  return (keys[code / 8] >> (code % 8)) & 1;
}

}  // namespace

void NoteEscapePressed() { pressedSinceQuery = true; }

bool EscapeKeyState() {
  const bool pressed = pressedSinceQuery.exchange(false);
  return EscapeDownNow() || pressed;
}

}  // namespace korvane
