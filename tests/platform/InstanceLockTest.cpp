#include "platform/InstanceLock.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/TempDir.h"

namespace korvane {
namespace {

const char* const kName = "{00000000-TEST-LOCK}";

// Runs child in a forked process; gives its pid.
template <typename F>
pid_t Fork(F child) {
  const pid_t pid = fork();
  if (pid == 0) _exit(child());
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What another process gets when it asks for the lock now.
InstanceLockResult OtherProcessGets() {
  return static_cast<InstanceLockResult>(ExitCode(Fork([] { return static_cast<int>(AcquireInstanceLock(kName)); })));
}

TEST(InstanceLock, OneProcessHoldsItUntilItIsKilledAndProgramsItStartsDoNotKeepIt) {
  test::TempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  EXPECT_EQ(InstanceFilePath(kName, ".lock"), runtime / "korvane-{00000000-TEST-LOCK}.lock");

  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = Fork([&] {
    if (AcquireInstanceLock(kName) != InstanceLockResult::Acquired) return 1;
    const pid_t program = fork();
    if (program == 0) {
      execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
      _exit(127);
    }
    if (write(ready[1], &program, sizeof program) != sizeof program) return 2;
    pause();
    return 0;
  });
  pid_t program = -1;
  ASSERT_EQ(read(ready[0], &program, sizeof program), static_cast<ssize_t>(sizeof program));
  close(ready[0]);
  close(ready[1]);

  EXPECT_EQ(OtherProcessGets(), InstanceLockResult::HeldByOther);
  EXPECT_FALSE(HoldsInstanceLock(kName));
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  // The program the holder started runs on, without the lock (once it has replaced the fork's copy).
  InstanceLockResult result = InstanceLockResult::Failed;
  for (int i = 0; i < 200 && (result = AcquireInstanceLock(kName)) != InstanceLockResult::Acquired; ++i) usleep(10000);
  EXPECT_EQ(result, InstanceLockResult::Acquired);
  EXPECT_EQ(kill(program, 0), 0);
  EXPECT_TRUE(HoldsInstanceLock(kName));
  EXPECT_EQ(AcquireInstanceLock(kName), InstanceLockResult::Acquired);
  kill(program, SIGKILL);
}

}  // namespace
}  // namespace korvane
