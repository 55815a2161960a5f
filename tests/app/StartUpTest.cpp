#include "app/StartUp.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/HandOffInbox.h"
#include "base/CommaText.h"
#include "platform/HandOffMessage.h"
#include "platform/InstanceLock.h"
#include "tests/support/TempDir.h"

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
  SetInstanceMarker(false);
  std::vector<std::string> tokens;
  const auto raise = [&](const std::string& token) { tokens.push_back(token); };
  EXPECT_EQ(AnswerHandOff(kActivateRequest, "", received, raise), 0u);
  EXPECT_EQ(AnswerHandOff(InstanceMarker, "/nowhere/a,/nowhere/b", received, raise), kHandOffRefused);
  EXPECT_TRUE(received.Empty());
  EXPECT_TRUE(tokens.empty());
  SetInstanceMarker(true);
  EXPECT_EQ(AnswerHandOff(InstanceMarker, "/nowhere/a,/nowhere/b", received, raise), 0u);
  EXPECT_EQ(received.Count(), 2u);
  // The launch's activation token reaches the raise; bytes no token has are dropped.
  for (const char* data : {"", "abc-123_token", "bad token", "bad\ntoken"})
    EXPECT_EQ(AnswerHandOff(kActivateRequest, data, received, raise), InstanceMarker);
  EXPECT_EQ(tokens, (std::vector<std::string>{"", "abc-123_token", "", ""}));
  SetInstanceMarker(false);

  test::TempDir runtime;
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

}  // namespace
}  // namespace korvane
