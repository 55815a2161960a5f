#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "harness/TempDir.h"

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
InstanceLockResult OtherProcessGets(const char* name = kName) {
  return static_cast<InstanceLockResult>(ExitCode(Fork([=] { return static_cast<int>(AcquireInstanceLock(name)); })));
}

// The runtime folder chosen with $XDG_RUNTIME_DIR set to dir, and what was said on stderr.
std::pair<std::string, std::string> RuntimeFolderFor(const std::string& dir) {
  setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  testing::internal::CaptureStderr();
  std::string folder = InstanceFolder(kName);
  return {folder, testing::internal::GetCapturedStderr()};
}

TEST(InstanceLock, OneProcessHoldsItUntilItIsKilledAndProgramsItStartsDoNotKeepIt) {
  test::TTempDir runtime;
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

// Whether a process of its own could lock the file at path now.
bool OtherProcessCanLock(const std::string& path) {
  return ExitCode(Fork([&] { return flock(open(path.c_str(), O_RDWR), LOCK_EX | LOCK_NB) == 0 ? 0 : 1; })) == 0;
}

// What a process left open across exec for the program it became: taken over
// when it is the lock's descriptor, never another one.
TEST(InstanceLock, ADescriptorLeftAcrossExecIsTakenOverOnlyWhenItIsTheLock) {
  test::TTempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  const char* const name = "{00000000-TEST-ADOPTED-LOCK}";
  const std::string path = InstanceFilePath(name, ".lock");
  const int other = open(runtime.WriteFile("other", "").c_str(), O_RDWR);
  EXPECT_FALSE(AdoptInstanceLock(name, other));
  EXPECT_EQ(fcntl(other, F_GETFD), 0) << "left open as it was";
  EXPECT_FALSE(HoldsInstanceLock(name));

  const int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  EXPECT_TRUE(AdoptInstanceLock(name, fd));
  EXPECT_EQ(InstanceLockDescriptor(name), fd);
  EXPECT_EQ(fcntl(fd, F_GETFD), FD_CLOEXEC);
  // Not taken a second time, and nobody else gets it.
  EXPECT_EQ(AcquireInstanceLock(name), InstanceLockResult::Acquired);
  EXPECT_FALSE(OtherProcessCanLock(path));
  close(other);
}

// A runtime folder or lock file that others could have made or may enter is
// passed over for /tmp/korvane-<uid>, saying why. Giving a file away needs root;
// elsewhere a folder in the lock's place stands in for a foreign lock.
TEST(InstanceLock, UnsafeRuntimeFolderOrLockIsPassedOverWithAWord) {
  const std::string fallback = "/tmp/korvane-" + std::to_string(geteuid());
  test::TTempDir runtime;
  const bool root = geteuid() == 0;
  const std::string open = runtime.MakeDir("open");
  chmod(open.c_str(), 0755);
  const std::string link = runtime / "link";
  ASSERT_EQ(symlink(runtime.Path().c_str(), link.c_str()), 0);
  const std::string foreign = runtime.MakeDir("foreign");
  chmod(foreign.c_str(), 0700);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {open, "is open to other users (mode 0755)"},
      {link, "is a symbolic link"},
      {"relative/run", "is not an absolute path"},
      {runtime / "missing", "No such file or directory"},
      {root && chown(foreign.c_str(), 12345, 12345) == 0 ? foreign : runtime.WriteFile("file", ""),
       root ? "belongs to user 12345" : "is not a folder"}};
  for (const auto& [dir, why] : cases) {
    const auto [folder, said] = RuntimeFolderFor(dir);
    EXPECT_EQ(folder, fallback) << dir;
    EXPECT_NE(said.find(dir + " " + why + "; /tmp is used instead"), std::string::npos) << said;
  }
  EXPECT_EQ(RuntimeFolderFor(runtime.Path()), std::make_pair(runtime.Path(), std::string()));

  const char* const name = "{00000000-TEST-FOREIGN-LOCK}";
  const std::string leaf = std::string("korvane-") + name + ".lock";
  const std::string lock = runtime / leaf;
  if (root) {
    runtime.WriteFile(leaf, "");
    ASSERT_EQ(chown(lock.c_str(), 12345, 12345), 0);
  } else {
    runtime.MakeDir(leaf);
  }
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = Fork([&] {
    const bool acquired = AcquireInstanceLock(name) == InstanceLockResult::Acquired;
    if (write(ready[1], &acquired, 1) != 1) return 1;
    pause();
    return 0;
  });
  bool acquired = false;
  ASSERT_EQ(read(ready[0], &acquired, 1), 1);
  EXPECT_TRUE(acquired);
  // A later launch passes over the same file and meets the holder in the fallback.
  testing::internal::CaptureStderr();
  EXPECT_EQ(AcquireInstanceLock(name), InstanceLockResult::HeldByOther);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("the lock file " + lock), std::string::npos);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  std::remove((fallback + "/" + leaf).c_str());
}

// /tmp/korvane-<uid> made first by another user, open to all: this user's
// launches never put a file in it, each runs on its own, and each says why.
// Root stands for the other user; the launches run as nobody.
TEST(InstanceLock, AFallbackFolderMadeByAnotherUserIsNeverUsedAndEachLaunchSaysWhy) {
  if (geteuid() != 0) GTEST_SKIP() << "acting as a second user needs root";
  constexpr uid_t kNobody = 65534;
  const std::string folder = "/tmp/korvane-" + std::to_string(kNobody);
  struct stat st;
  if (lstat(folder.c_str(), &st) == 0) GTEST_SKIP() << folder << " exists already and is not this test's";
  ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
  const auto launchAsNobody = [] {
    return ExitCode(Fork([] {
      if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
          setresuid(kNobody, kNobody, kNobody) != 0)
        return 100;
      unsetenv("XDG_RUNTIME_DIR");
      return static_cast<int>(AcquireInstanceLock("{00000000-TEST-NOBODY}"));
    }));
  };
  testing::internal::CaptureStderr();
  const int first = launchAsNobody();
  const int second = launchAsNobody();
  const std::string said = testing::internal::GetCapturedStderr();
  const bool empty = std::filesystem::is_empty(folder);
  rmdir(folder.c_str());
  ASSERT_NE(first, 100) << "cannot switch to user " << kNobody;
  EXPECT_EQ(first, static_cast<int>(InstanceLockResult::Failed));
  EXPECT_EQ(second, static_cast<int>(InstanceLockResult::Failed));
  EXPECT_TRUE(empty);
  const std::string why = folder + " belongs to user 0; this launch runs on its own and takes no hand-off\n";
  EXPECT_EQ(said, "Korvane: " + why + "Korvane: " + why);
}

}  // namespace
}  // namespace korvane
