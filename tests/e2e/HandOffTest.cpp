// A running instance and later launches of the real program in one private
// runtime folder: what the later launches hand over, in what order, and what
// bad or silent clients of the hand-off socket cannot do.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/startup/StartUp.h"
#include "base/CommaText.h"
#include "platform/HandOffClient.h"
#include "platform/HandOffMessage.h"
#include "platform/UnixSocket.h"
#include "harness/KorvaneProcess.h"

// Last: Xlib's macros clash with names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

const std::string kSocketName = std::string("korvane-") + InstanceGuid + ".sock";

// The paths an instance reports as handed over and queued, in order.
std::vector<std::string> HandedOver(const std::string& stderrText) {
  std::vector<std::string> items;
  std::istringstream lines(stderrText);
  const std::string prefix = "hand-off: ";
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(prefix, 0) == 0) items.push_back(line.substr(prefix.size()));
  return items;
}

// A second launch that ran to its end.
int RunLaunch(const std::vector<std::string>& args, const std::string& runtime, const std::string& workDir = "") {
  TKorvaneProcess launch(args, TStartOptions{.runtime = runtime, .workDir = workDir});
  return launch.WaitForExit(20s);
}

int RawConnect(const std::string& path) {
  sockaddr_un address{};
  FillUnixAddress(path, address);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) ADD_FAILURE() << "connect";
  return fd;
}

// Whether the other end closes fd within the timeout without having sent a byte.
bool ClosedUnanswered(int fd, std::chrono::milliseconds timeout) {
  pollfd entry{fd, POLLIN, 0};
  if (poll(&entry, 1, static_cast<int>(Scaled(timeout).count())) != 1) return false;
  char byte;
  return recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

bool Viewable(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  XWindowAttributes attributes{};
  const bool viewable = display && XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
  if (display) XCloseDisplay(display);
  return viewable;
}

// What a window manager does when it iconifies a window.
void Iconify(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Atom wmState = XInternAtom(display, "WM_STATE", False);
  const long iconic[2] = {IconicState, 0};  // no icon window
  XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(iconic), 2);
  XUnmapWindow(display, window);
  XCloseDisplay(display);
}

// Whether the window's program answers a window manager's ping within the
// timeout. It reads its X events in order, so once it answers it has read
// every event sent to it before, a change of WM_STATE among them.
bool AnswersPing(unsigned long window, std::chrono::milliseconds timeout) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  const Window root = DefaultRootWindow(display);
  XSelectInput(display, root, StructureNotifyMask | SubstructureNotifyMask);  // the answer goes to the root window
  XEvent ping{};
  ping.xclient.type = ClientMessage;
  ping.xclient.window = window;
  ping.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  ping.xclient.format = 32;
  ping.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "_NET_WM_PING", False));
  ping.xclient.data.l[1] = getpid();  // the stamp the answer carries back
  ping.xclient.data.l[2] = static_cast<long>(window);
  XSendEvent(display, window, False, NoEventMask, &ping);
  XFlush(display);
  const bool answered = WaitUntil([&] {
    for (XEvent event; XPending(display);) {
      XNextEvent(display, &event);
      if (event.type == ClientMessage && event.xclient.message_type == ping.xclient.message_type &&
          event.xclient.data.l[0] == ping.xclient.data.l[0] && event.xclient.data.l[1] == ping.xclient.data.l[1])
        return true;
    }
    return false;
  }, timeout);
  XCloseDisplay(display);
  return answered;
}

// Whether a process holds a lock on the file at path, as /proc/locks lists it.
bool Locked(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  std::ifstream locks("/proc/locks");
  const std::string inode = ":" + std::to_string(st.st_ino) + " ";
  for (std::string line; std::getline(locks, line);)
    if (line.find("FLOCK") != std::string::npos && line.find(inode) != std::string::npos) return true;
  return false;
}

class HandOffWholeProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
    setenv("KORVANE_TRACE_HANDOFF", "1", 1);  // inherited by every instance started here
  }
  void TearDown() override { unsetenv("KORVANE_TRACE_HANDOFF"); }
  TTempDir media;
};

TEST_F(HandOffWholeProgram, LaterLaunchesHandOverTheirPathsInOrderAndReturnOnceTheyAreQueued) {
  const std::string folder = media.MakeDir("My Videos");
  ASSERT_FALSE(MakeClip(folder, "x.mp4", 2).empty());
  const std::string file = MakeClip(media.Path(), "a,b.mp4", 2);
  ASSERT_FALSE(file.empty());

  TKorvaneProcess first({});
  ASSERT_NE(first.Window(), 0u) << first.Stderr();
  ASSERT_EQ(RunLaunch({folder, "", file}, first.RuntimeDir()), 0);
  // Already there when the launch has ended: it waited for the queueing.
  EXPECT_EQ(HandedOver(first.Stderr()), (std::vector<std::string>{folder, file})) << first.Stderr();

  // Both reach the list and are played.
  EXPECT_EQ(first.SeenOpenBelow(media.Path(), 2, 30s), (std::vector<std::string>{folder + "/x.mp4", file}));

  // The next hand-off holds only its own path; a relative one is taken from the launch's folder.
  ASSERT_EQ(RunLaunch({"a,b.mp4"}, first.RuntimeDir(), media.Path()), 0);
  EXPECT_EQ(HandedOver(first.Stderr()), (std::vector<std::string>{folder, file, file}));
  EXPECT_TRUE(first.Running());
  first.Close();
  EXPECT_EQ(first.WaitForExit(10s), 0) << first.Stderr();
}

// The first launch holds the lock from its first milliseconds, long before it
// listens: a launch in between asks again until it does.
TEST_F(HandOffWholeProgram, ALaunchWhileTheFirstIsStillStartingHandsOverOnceItListens) {
  TKorvaneProcess first({});
  const std::string lock = first.RuntimeDir() + "/korvane-" + InstanceGuid + ".lock";
  ASSERT_TRUE(WaitUntil([&] { return Locked(lock); }, 10s)) << first.Stderr();
  const std::string folder = media.MakeDir("early");
  ASSERT_EQ(RunLaunch({folder}, first.RuntimeDir()), 0);
  EXPECT_EQ(HandedOver(first.Stderr()), std::vector<std::string>{folder}) << first.Stderr();
  // The same lock all along: a third launch finds the same window.
  EXPECT_NE(first.Window(), 0u);
  ASSERT_EQ(RunLaunch({}, first.RuntimeDir()), 0);
  EXPECT_TRUE(first.Running());
}

TEST_F(HandOffWholeProgram, BadAndSilentClientsNeitherReachTheSearchNorHoldUpAHandOff) {
  TKorvaneProcess first({});
  ASSERT_NE(first.Window(), 0u) << first.Stderr();
  const std::string socketPath = first.RuntimeDir() + "/" + kSocketName;

  const int silent = RawConnect(socketPath);
  const int truncated = RawConnect(socketPath);
  const std::string half = EncodeHandOffMessage(InstanceMarker, std::string("/tmp\0", 5)).substr(0, 10);
  ASSERT_EQ(send(truncated, half.data(), half.size(), 0), static_cast<ssize_t>(half.size()));
  const int huge = RawConnect(socketPath);
  const uint32_t hugeHeader[2] = {InstanceMarker, 20u * 1024 * 1024};
  ASSERT_EQ(send(huge, hugeHeader, sizeof hugeHeader, 0), static_cast<ssize_t>(sizeof hugeHeader));
  EXPECT_TRUE(ClosedUnanswered(huge, 5s));

  {
    THandOffClient client(socketPath, 5s);
    EXPECT_EQ(client.Request(0x2222, std::string("/tmp\0", 5)), 0u);  // the wrong dwData
    // The two examples, as any sender of the protocol would write them.
    TStringList example1;
    example1.Add("C:\\a b\\x.avi");
    example1.Add("D:\\clips");
    TStringList example2;
    example2.Add("C:\\My Videos");
    example2.Add("D:\\a,b.wmv");
    const std::string text1 = ToCommaText(example1), text2 = ToCommaText(example2);
    ASSERT_EQ(text1.size(), 23u);
    ASSERT_EQ(text2.size(), 27u);
    EXPECT_EQ(client.Request(kActivateRequest, ""), InstanceMarker);
    EXPECT_EQ(client.Request(InstanceMarker, text1 + '\0'), 0u);
    // Nothing past the first NUL counts, and nothing past cbData is read.
    EXPECT_EQ(client.Request(InstanceMarker, text2 + '\0' + "/etc"), 0u);
  }
  // A real launch goes through while the silent and the truncated client still hang on.
  const std::string clip = media.MakeDir("later");
  ASSERT_EQ(RunLaunch({clip}, first.RuntimeDir()), 0);
  EXPECT_EQ(HandedOver(first.Stderr()),
            (std::vector<std::string>{"C:\\a b\\x.avi", "D:\\clips", "C:\\My Videos", "D:\\a,b.wmv", clip}));
  // Checked for stalling about once a second, so either may go a second late.
  EXPECT_TRUE(ClosedUnanswered(silent, 8s));
  EXPECT_TRUE(ClosedUnanswered(truncated, 3s));
  for (const int fd : {silent, truncated, huge}) close(fd);
  EXPECT_TRUE(first.Running());
}

TEST_F(HandOffWholeProgram, ALaunchWithoutArgumentsOnlyBringsTheMinimisedWindowBack) {
  TKorvaneProcess first({});
  const unsigned long window = first.Window();
  ASSERT_NE(window, 0u) << first.Stderr();
  Iconify(window);
  ASSERT_TRUE(WaitUntil([&] { return !Viewable(window); }, 5s));
  ASSERT_TRUE(AnswersPing(window, 5s));  // it has taken the new state from the property
  ASSERT_EQ(RunLaunch({}, first.RuntimeDir()), 0);
  EXPECT_TRUE(WaitUntil([&] { return Viewable(window); }, 5s));
  EXPECT_TRUE(HandedOver(first.Stderr()).empty());
}

TEST_F(HandOffWholeProgram, AKilledFirstInstanceDoesNotStopTheNextFromTakingOver) {
  TKorvaneProcess killed({});
  ASSERT_NE(killed.Window(), 0u) << killed.Stderr();
  const std::string runtime = killed.RuntimeDir();
  kill(killed.Pid(), SIGKILL);
  killed.WaitForExit(5s);
  struct stat st;
  ASSERT_EQ(lstat((runtime + "/" + kSocketName).c_str(), &st), 0);  // left behind

  TKorvaneProcess next({}, TStartOptions{.runtime = runtime});
  EXPECT_TRUE(WaitUntil([&] {
    THandOffClient probe(runtime + "/" + kSocketName, 1s);
    return probe.Request(kActivateRequest, "") == InstanceMarker;
  }, 20s)) << next.Stderr();
  const std::string folder = media.MakeDir("clips");
  ASSERT_EQ(RunLaunch({folder}, runtime), 0);
  EXPECT_EQ(HandedOver(next.Stderr()), std::vector<std::string>{folder});
  EXPECT_TRUE(next.Running());
}

}  // namespace
}  // namespace korvane::test
