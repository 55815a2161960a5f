#include "tests/e2e/DesktopDriver.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string_view>
#include <thread>

#include "base/Paths.h"
#include "harness/Weston.h"
#include "tests/e2e/WestonDrag.h"

namespace korvane::test {

namespace {

using namespace std::chrono_literals;

std::vector<unsigned long> VisibleWindows(TKorvaneProcess& korvane) {
  std::vector<unsigned long> windows;
  std::istringstream found(CommandOutput("xdotool search --onlyvisible --pid " + std::to_string(korvane.Pid()) +
                                         " 2>/dev/null"));
  for (unsigned long window; found >> window;) windows.push_back(window);
  return windows;
}

std::string Id(unsigned long window) { return std::to_string(window); }

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// Whether one of the program's visible windows is a menu: a window that the
// window manager never sees (on Wayland a pop-up). Other windows of the
// program come and go beside it (the picture's own window, for one), so they
// are not counted.
bool HasOpenMenu(TKorvaneProcess& korvane) {
  if (OnWeston()) return ReadSurfaceTrace(korvane.Trace()).openPopups > 0;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  auto* previous = XSetErrorHandler(IgnoreXErrors);  // a window may go while it is looked at
  bool open = false;
  for (unsigned long window : VisibleWindows(korvane)) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.override_redirect &&
        attributes.map_state == IsViewable)
      open = true;
  }
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return open;
}

// An X connection with a window of its own, for the talks with the program
// that the X server carries: drag and drop, selections.
class TXClient {
 public:
  // A program that has gone makes its windows bad: that shows as a missing
  // answer, not as the end of the test process.
  TXClient() : FDisplay(XOpenDisplay(nullptr)), FPreviousHandler(XSetErrorHandler(IgnoreXErrors)) {
    if (!FDisplay) return;
    FWindow = XCreateSimpleWindow(FDisplay, DefaultRootWindow(FDisplay), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(FDisplay, FWindow, PropertyChangeMask);
  }
  ~TXClient() {
    if (FDisplay) {
      XDestroyWindow(FDisplay, FWindow);
      XCloseDisplay(FDisplay);
    }
    XSetErrorHandler(FPreviousHandler);
  }
  TXClient(const TXClient&) = delete;
  TXClient& operator=(const TXClient&) = delete;

  bool Ok() const { return FDisplay != nullptr; }
  Display* X() const { return FDisplay; }
  Window Own() const { return FWindow; }
  Atom Intern(const char* name) const { return XInternAtom(FDisplay, name, False); }

  // The server's clock now, read from the stamp of a property change: the
  // time a selection owner and a drop must agree on.
  Time ServerTime() {
    const Atom stamp = Intern("KORVANE_TEST_STAMP");
    XChangeProperty(FDisplay, FWindow, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    if (!NextEvent(event, [](const XEvent& e) { return e.type == PropertyNotify; }, 5s)) return CurrentTime;
    return event.xproperty.time;
  }

  // Waits for an event that matches, handing every other one to others; false on timeout.
  bool NextEvent(XEvent& event, const std::function<bool(const XEvent&)>& matches, std::chrono::milliseconds timeout,
                 const std::function<void(const XEvent&)>& others = {}) {
    XFlush(FDisplay);
    const auto end = std::chrono::steady_clock::now() + Scaled(timeout);
    while (std::chrono::steady_clock::now() < end) {
      while (XPending(FDisplay)) {
        XNextEvent(FDisplay, &event);
        if (matches(event)) return true;
        if (others) others(event);
      }
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  void SendMessage(Window to, const char* type, std::initializer_list<long> data) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = to;
    event.xclient.message_type = Intern(type);
    event.xclient.format = 32;
    std::copy(data.begin(), data.end(), event.xclient.data.l);
    XSendEvent(FDisplay, to, False, NoEventMask, &event);
    XFlush(FDisplay);
  }

 private:
  Display* FDisplay;
  XErrorHandler FPreviousHandler;
  Window FWindow = 0;
};

bool IsMessage(const XEvent& event, Atom type) {
  return event.type == ClientMessage && event.xclient.message_type == type;
}

// Gives the uri list to whoever asks for the drag's data.
void AnswerSelectionRequest(TXClient& client, const XEvent& event, Atom uriList, const std::string& uris) {
  if (event.type != SelectionRequest) return;
  const XSelectionRequestEvent& request = event.xselectionrequest;
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;
  if (request.target == uriList) {
    const Atom property = request.property != None ? request.property : request.target;
    XChangeProperty(client.X(), request.requestor, property, uriList, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(uris.data()), static_cast<int>(uris.size()));
    reply.xselection.property = property;
  }
  XSendEvent(client.X(), request.requestor, False, NoEventMask, &reply);
  XFlush(client.X());
}

// On Weston a window is known by its place among the program's top-levels, from 1.
unsigned long WaitForToplevel(TKorvaneProcess& korvane, const std::string& caption, std::chrono::milliseconds timeout) {
  const unsigned long main = korvane.Window();
  unsigned long dialog = 0;
  WaitUntil([&] {
    const std::vector<TToplevel> toplevels = ReadSurfaceTrace(korvane.Trace()).toplevels;
    // Keys typed before the dialog has the keyboard would go to the main window.
    for (unsigned long i = 0; i < toplevels.size() && !dialog; ++i)
      if (i + 1 != main && toplevels[i].focused && toplevels[i].title == caption) dialog = i + 1;
    return dialog != 0;
  }, timeout);
  if (!dialog) {
    std::string seen;
    for (const TToplevel& toplevel : ReadSurfaceTrace(korvane.Trace()).toplevels)
      seen += " \"" + toplevel.title + "\"" + (toplevel.shown ? "" : " gone") + (toplevel.focused ? " focused" : "");
    std::fprintf(stderr, "no top-level \"%s\" with the keyboard; the program's top-levels:%s\n", caption.c_str(), seen.c_str());
  }
  return dialog;
}

std::string UriList(const std::vector<std::string>& paths) {
  std::string uris;
  for (const std::string& path : paths) uris += "file://" + PercentEncodePath(path) + "\r\n";
  return uris;
}

}  // namespace

unsigned long WaitForDialog(TKorvaneProcess& korvane, const std::string& caption, std::chrono::milliseconds timeout) {
  if (OnWeston()) return WaitForToplevel(korvane, caption, timeout);
  const unsigned long main = korvane.Window();
  unsigned long dialog = 0;
  WaitUntil([&] {
    for (unsigned long window : VisibleWindows(korvane)) {
      if (window != main && CommandOutput("xdotool getwindowname " + Id(window) + " 2>/dev/null") == caption) {
        dialog = window;
        return true;
      }
    }
    return false;
  }, timeout);
  return dialog;
}

bool WaitUntilHidden(TKorvaneProcess& korvane, unsigned long window, std::chrono::milliseconds timeout) {
  if (OnWeston()) {
    return WaitUntil([&] {
      const std::vector<TToplevel> toplevels = ReadSurfaceTrace(korvane.Trace()).toplevels;
      return window == 0 || window > toplevels.size() || !toplevels[window - 1].shown;
    }, timeout);
  }
  return WaitUntil([&] {
    const std::vector<unsigned long> visible = VisibleWindows(korvane);
    return std::find(visible.begin(), visible.end(), window) == visible.end();
  }, timeout);
}

void KeyTo(unsigned long window, const std::string& keys) {
  SendKeys(window, {"key", "--clearmodifiers", keys});
}

void TypeTo(unsigned long window, const std::string& text) {
  SendKeys(window, {"type", "--clearmodifiers", "--delay", "30", text});
}

void ClickAt(unsigned long window, int x, int y) {
  if (OnWeston()) {
    const std::optional<TArea> shown = ShownArea();
    if (!shown) return;
    window = WestonWindow();
    x += shown->x;
    y += shown->y;
  }
  // No --sync: it waits for long when the pointer is already there, and the
  // X server takes the move before the click all the same.
  RunTool({"xdotool", "mousemove", "--window", Id(window), std::to_string(x), std::to_string(y), "click", "1"});
}

bool ChooseMenu(TKorvaneProcess& korvane, int menu, int item) {
  // The first menu's title, at the menu bar's left end. A window just shown
  // may miss a click, so it is clicked again, but only while no menu is open:
  // a click on the title of an open menu closes it.
  korvane.AwaitKeyboard();
  bool opened = false;
  for (int click = 0; click < 3 && !opened; ++click) {
    if (!HasOpenMenu(korvane)) ClickAt(korvane.Window(), 20, 10);
    opened = WaitUntil([&] { return HasOpenMenu(korvane); }, 5s);
  }
  if (!opened) {
    ADD_FAILURE() << "no menu opened";
    return false;
  }
  // The open menu holds the keyboard: keys go to it, not to a window to focus.
  // A menu reached with Right starts on its first entry; the clicked one on none.
  std::string keys;
  for (int i = 0; i < menu; ++i) keys += " Right";
  for (int i = 0; i < item + (menu == 0 ? 1 : 0); ++i) keys += " Down";
  CommandOutput("xdotool key --clearmodifiers --delay 100" + keys + " Return");
  return true;
}

bool DropPaths(TKorvaneProcess& korvane, int x, int y, const std::vector<std::string>& paths) {
  const std::string uris = UriList(paths);
  if (OnWeston()) return DropPathsOnWeston(x, y, uris);
  TXClient client;
  if (!client.Ok()) return false;
  const unsigned long window = korvane.Window();
  const Atom uriList = client.Intern("text/uri-list");
  const Window target = window;
  const long source = static_cast<long>(client.Own());

  const Time now = client.ServerTime();
  XSetSelectionOwner(client.X(), client.Intern("XdndSelection"), client.Own(), now);
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(client.X(), target, DefaultRootWindow(client.X()), x, y, &rootX, &rootY, &child);

  client.SendMessage(target, "XdndEnter", {source, 5L << 24, static_cast<long>(uriList), 0, 0});
  client.SendMessage(target, "XdndPosition", {source, 0, (static_cast<long>(rootX) << 16) | rootY,
                                              static_cast<long>(now), static_cast<long>(client.Intern("XdndActionCopy"))});
  XEvent event;
  const Atom status = client.Intern("XdndStatus");
  if (!client.NextEvent(event, [&](const XEvent& e) { return IsMessage(e, status); }, 10s) ||
      !(event.xclient.data.l[1] & 1)) {
    client.SendMessage(target, "XdndLeave", {source, 0, 0, 0, 0});
    return false;
  }
  client.SendMessage(target, "XdndDrop", {source, 0, static_cast<long>(now), 0, 0});
  const Atom finished = client.Intern("XdndFinished");
  return client.NextEvent(event, [&](const XEvent& e) { return IsMessage(e, finished); }, 10s,
                          [&](const XEvent& e) { AnswerSelectionRequest(client, e, uriList, uris); }) &&
         (event.xclient.data.l[1] & 1);
}

std::string ClipboardText() {
  TXClient client;
  if (!client.Ok()) return "";
  const Atom property = client.Intern("KORVANE_TEST_CLIPBOARD");
  XConvertSelection(client.X(), client.Intern("CLIPBOARD"), client.Intern("UTF8_STRING"), property, client.Own(),
                    client.ServerTime());
  XEvent event;
  if (!client.NextEvent(event, [](const XEvent& e) { return e.type == SelectionNotify; }, 5s) ||
      event.xselection.property == None)
    return "";
  Atom type;
  int format;
  unsigned long count, remaining;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(client.X(), client.Own(), property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format, &count,
                         &remaining, &data) == Success &&
      data && format == 8)
    text.assign(reinterpret_cast<const char*>(data), count);
  if (data) XFree(data);
  return text;
}

}  // namespace korvane::test
