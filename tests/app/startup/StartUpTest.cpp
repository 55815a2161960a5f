#include "app/startup/StartUp.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "app/startup/HandOffInbox.h"
#include "base/CommaText.h"
#include "platform/HandOffEndpoint.h"
#include "platform/HandOffMessage.h"
#include "platform/InstanceLock.h"
#include "tests/support/PollLoop.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

TEST(HandOffText, EmptyArgumentsAreSkippedAndRelativePathsTakeTheLaunchFolder) {
  EXPECT_EQ(HandOffText({}, "/home/u"), "");
  EXPECT_EQ(HandOffText({"", ""}, "/home/u"), "");
  EXPECT_EQ(HandOffText({"My Videos", "", "/d/a,b.wmv", "/starup"}, "/home/u"),
            "\"/home/u/My Videos\",\"/d/a,b.wmv\",/starup");
  EXPECT_EQ(HandOffText({"x.mp4"}, "/"), "/x.mp4");
  EXPECT_EQ(HandOffText({"x.mp4"}, ""), "x.mp4");  // no folder to go by: as it is
}

TEST(HandOffText, EveryByteOfANameReachesTheRunningInstance) {
  const std::vector<std::string> names = {"caf\xE9 \xFF.mp4", "/v/line\nbreak,\"quoted\".mp4"};
  TStringList received;
  SplitCommaText(HandOffText(names, "/home/u"), received);
  EXPECT_EQ(received.Items(), (std::vector<std::string>{"/home/u/" + names[0], names[1]}));
}

// A launch that meets an instance on its way out must not hand it paths it
// will never search: it is refused, and the launch takes over the lock once
// the closing instance has let it go.
TEST(HandOffWhileClosing, PathsAreRefusedOnceUnmarkedAndTheLockPassesToTheLaterLaunch) {
  TStringList received;
  std::vector<std::string> tokens, queued;
  HandOffTarget target{false, [&](const std::string& token) { tokens.push_back(token); },
                       [&](const std::string& path) { queued.push_back(path); }};
  EXPECT_EQ(AnswerHandOff(kActivateRequest, "", received, target), 0u);
  EXPECT_EQ(AnswerHandOff(InstanceMarker, "/nowhere/a,/nowhere/b", received, target), kHandOffRefused);
  EXPECT_TRUE(received.Empty());
  EXPECT_TRUE(tokens.empty());
  EXPECT_TRUE(queued.empty());
  target.marked = true;
  EXPECT_EQ(AnswerHandOff(InstanceMarker, "/nowhere/a,/nowhere/b", received, target), 0u);
  EXPECT_EQ(received.Count(), 2u);
  EXPECT_EQ(queued, (std::vector<std::string>{"/nowhere/a", "/nowhere/b"}));
  // The launch's activation token reaches the raise; bytes no token has are dropped.
  for (const char* data : {"", "abc-123_token", "bad token", "bad\ntoken"})
    EXPECT_EQ(AnswerHandOff(kActivateRequest, data, received, target), InstanceMarker);
  EXPECT_EQ(tokens, (std::vector<std::string>{"", "abc-123_token", "", ""}));

  test::TTempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  const std::string name = "{00000000-TEST-CLOSING}";
  int held[2];
  ASSERT_EQ(pipe(held), 0);
  const pid_t closing = fork();
  if (closing == 0) {
    const char taken = AcquireInstanceLock(name) == InstanceLockResult::Acquired;
    if (write(held[1], &taken, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char taken = 0;
  ASSERT_EQ(read(held[0], &taken, 1), 1);
  ASSERT_TRUE(taken);
  EXPECT_FALSE(WaitForInstanceLock(name, std::chrono::milliseconds(100)));
  kill(closing, SIGKILL);
  waitpid(closing, nullptr, 0);
  EXPECT_TRUE(WaitForInstanceLock(name, std::chrono::seconds(10)));
  EXPECT_TRUE(HoldsInstanceLock(name));
  close(held[0]);
  close(held[1]);
}

// The first instance of name in a process of its own: takes the lock, listens,
// says on ready whether it listens, and waits for one hand-off of expected.
int ServeOneHandOff(const char* name, int ready, const std::string& expected) {
  if (IsAlreadyRunning(name)) return 2;
  std::string received;
  test::TPollLoop loop;
  THandOffEndpoint endpoint(InstanceSocketPath(name), [&](uint32_t dwData, std::string_view data) {
    if (dwData == InstanceMarker) received = data;
    return dwData == kActivateRequest ? InstanceMarker : 0;
  }, loop);
  const bool listening = endpoint.Listening();
  if (write(ready, &listening, 1) != 1 || !listening) return 3;
  loop.RunUntil(endpoint, [&] { return !received.empty(); }, std::chrono::seconds(10));
  return received == expected ? 0 : 1;
}

// The socket's address holds about 107 bytes: a runtime folder too long for it
// sends the lock and the socket together to /tmp/korvane-<uid>, and says so.
TEST(StartUp, ALaterLaunchReachesTheRunningInstanceThroughALongRuntimeFolder) {
  const char* const name = "{00000000-TEST-LONG-RUNTIME}";
  test::TTempDir dir;
  const std::string runtime = dir.MakeDir(std::string(90, 'r'));
  ASSERT_EQ(chmod(runtime.c_str(), 0700), 0);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  const std::string expected = HandOffText({"/a b", "/c"}, "") + '\0';
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t first = fork();
  if (first == 0) _exit(ServeOneHandOff(name, ready[1], expected));
  bool listening = false;
  ASSERT_EQ(read(ready[0], &listening, 1), 1);
  close(ready[0]);
  close(ready[1]);

  testing::internal::CaptureStderr();
  EXPECT_TRUE(IsAlreadyRunning(name));
  EXPECT_TRUE(ActivateRunningInstance(name, {"/a b", "/c"}));
  const std::string said = testing::internal::GetCapturedStderr();
  int status = -1;
  waitpid(first, &status, 0);
  EXPECT_TRUE(listening);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(said.find(runtime + " is too long for the hand-off socket"), std::string::npos) << said;
  std::remove(("/tmp/korvane-" + std::to_string(geteuid()) + "/korvane-" + name + ".lock").c_str());
}

}  // namespace
}  // namespace korvane
