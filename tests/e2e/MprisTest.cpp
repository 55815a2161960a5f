#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cmath>
#include <sstream>

#include "harness/KorvaneProcess.h"
#include "harness/SessionBus.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(MprisWholeProgram, TheDesktopControlsPauseAndMoveToTheNextFile) {
  if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
  if (CommandOutput("command -v dbus-daemon").empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  TTempDir media;
  const std::string clips = media.MakeDir("clips");
  for (const char* name : {"a.mp4", "b.mp4"}) ASSERT_FALSE(MakeClip(clips, name, 30).empty());
  TPrivateSessionBus bus;
  ASSERT_TRUE(bus.Up());

  TKorvaneProcess korvane({clips});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  const auto playing = [&](const std::string& path) {
    return korvane.PlayingFilesBelow(clips) == std::vector<std::string>{path} && Has(MprisProperty("PlaybackStatus"), "\"Playing\"");
  };
  ASSERT_TRUE(WaitUntil([&] { return playing(clips + "/a.mp4"); }, kStartUp)) << korvane.Stderr();

  // Paused first, so that only the command can move on to the next file.
  MprisCall("org.mpris.MediaPlayer2.Player.PlayPause");
  EXPECT_TRUE(WaitUntil([&] { return Has(MprisProperty("PlaybackStatus"), "\"Paused\""); }, 10s))
      << MprisProperty("PlaybackStatus");

  MprisCall("org.mpris.MediaPlayer2.Player.Next");
  EXPECT_TRUE(WaitUntil([&] { return playing(clips + "/b.mp4"); }, 30s)) << korvane.Stderr();
  EXPECT_TRUE(WaitUntil([&] { return Has(MprisProperty("Metadata"), "file://" + clips + "/b.mp4"); }, 10s))
      << MprisProperty("Metadata");
}

// The position the desktop controls read, in seconds; NaN without an answer.
double PositionSeconds() {
  const std::string reply = MprisProperty("Position");
  const size_t at = reply.find("int64 ");
  return at == std::string::npos ? NAN : std::atof(reply.c_str() + at + 6) / 1e6;
}

bool PositionNear(double seconds) {
  return WaitUntil([&] { return std::fabs(PositionSeconds() - seconds) < 2; }, 10s);
}

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The control strip's window: where it is on the screen and how wide; 0 when it is not on screen.
unsigned long StripWindow(TKorvaneProcess& korvane, int& x, int& y, int& width) {
  std::istringstream found(CommandOutput("xdotool search --all --onlyvisible --pid " + std::to_string(korvane.Pid()) +
                                         " --name '^Korvane controls$' 2>/dev/null"));
  unsigned long window = 0;
  if (!(found >> window)) return 0;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 0;
  XSetErrorHandler(IgnoreXErrors);  // the window may go meanwhile
  XWindowAttributes attributes;
  Window child;
  const bool placed = XGetWindowAttributes(display, window, &attributes) &&
                      XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child);
  width = attributes.width;
  XCloseDisplay(display);
  return placed ? window : 0;
}

TEST(MprisWholeProgram, AClickOnTheSeekBarAndTheDigitsMoveThePositionAndTheKeysStillWork) {
  if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
  if (CommandOutput("command -v dbus-daemon").empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  TTempDir media;
  const std::string clip = MakeClip(media.MakeDir("clips"), "a.mp4", 60);
  ASSERT_FALSE(clip.empty());
  TPrivateSessionBus bus;
  ASSERT_TRUE(bus.Up());
  TKorvaneProcess korvane({clip});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  ASSERT_TRUE(WaitUntil([&] { return Has(MprisProperty("PlaybackStatus"), "\"Playing\""); }, kStartUp));
  korvane.Key("space");  // paused, so the position read is where the seek went
  ASSERT_TRUE(WaitUntil([&] { return Has(MprisProperty("PlaybackStatus"), "\"Paused\""); }, 10s));

  int x = 0, y = 0, width = 0;
  ASSERT_TRUE(WaitUntil([&] { return StripWindow(korvane, x, y, width) != 0 && width > 100; }, 10s));
  // The seek bar is the strip's top row, inside its margins.
  RunTool({"xdotool", "mousemove", "--sync", std::to_string(x + 4 + static_cast<int>(0.4 * (width - 8))),
           std::to_string(y + 8), "click", "1"});
  EXPECT_TRUE(PositionNear(24)) << PositionSeconds();
  // Keys sent to whatever has the focus now: still the main window.
  for (const auto& [key, seconds] : std::vector<std::pair<std::string, double>>{{"Right", 34}, {"5", 30}, {"0", 0}}) {
    RunTool({"xdotool", "key", key});
    EXPECT_TRUE(PositionNear(seconds)) << key << ": " << PositionSeconds();
  }
  EXPECT_TRUE(Has(MprisProperty("PlaybackStatus"), "\"Paused\""));  // no click on the picture
}

}  // namespace
}  // namespace korvane::test
