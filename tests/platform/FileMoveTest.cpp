#include "platform/FileMove.h"

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FolderHandle.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using test::ReadFile;
using test::TTempDir;

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

TEST(FileMoveNoReplace, MovesTheFileWithItsBytes) {
  TTempDir dir;
  const std::string from = dir.WriteFile("a.mp4", "abc");
  std::string error = "untouched";
  ASSERT_TRUE(MoveFileNoReplace(from, dir / "b.mp4", &error));
  EXPECT_FALSE(Exists(from));
  EXPECT_EQ(ReadFile(dir / "b.mp4"), "abc");
  EXPECT_EQ(error, "untouched");
}

TEST(FileMoveNoReplace, RefusesAnyExistingTarget) {
  TTempDir dir;
  const std::string from = dir.WriteFile("a.mp4", "mine");
  dir.WriteFile("file.mp4", "theirs");
  dir.MakeDir("folder");
  ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
  for (const char* target : {"file.mp4", "folder", "dangling", "a.mp4"}) {
    std::string error;
    EXPECT_FALSE(MoveFileNoReplace(from, dir / target, &error)) << target;
    EXPECT_EQ(errno, EEXIST) << target;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(ReadFile(from), "mine");
  EXPECT_EQ(ReadFile(dir / "file.mp4"), "theirs");
  EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
}

TEST(FileMoveNoReplace, VanishedSourceFails) {
  TTempDir dir;
  std::string error;
  EXPECT_FALSE(MoveFileNoReplace(dir / "gone.mp4", dir / "new.mp4", &error));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(Exists(dir / "new.mp4"));
}

TEST(FileMoveNoReplace, NeverCopiesAcrossFileSystems) {
  TTempDir dir;
  struct stat tmp, shm;
  if (stat(dir.Path().c_str(), &tmp) != 0 || stat("/dev/shm", &shm) != 0 || tmp.st_dev == shm.st_dev) {
    GTEST_SKIP() << "no second file system at /dev/shm";
  }
  const std::string from = dir.WriteFile("a.mp4", "abc");
  const std::string to = "/dev/shm/korvane-filemove-" + std::to_string(getpid());
  std::string error;
  EXPECT_FALSE(MoveFileNoReplace(from, to, &error));
  EXPECT_EQ(errno, EXDEV);
  EXPECT_FALSE(Exists(to));
  EXPECT_EQ(ReadFile(from), "abc");
  unlink(to.c_str());
}

// What OpenFolderNoLinks makes of a real folder, a link on the way and a link
// at the end: 0, or the errno.
std::vector<int> OpenResults(const TTempDir& dir) {
  std::vector<int> results;
  for (const char* path : {"real/sub", "link/sub", "real/last"}) {
    const TUniqueFd folder = OpenFolderNoLinks(dir / path);
    results.push_back(folder ? 0 : errno);
  }
  return results;
}

// Where the kernel has no openat2 (here: a filter says so), the folders are
// walked one at a time, and the walk refuses links alike.
TEST(FolderHandle, RefusesALinkAnywhereWithOrWithoutOpenat2) {
  TTempDir dir;
  dir.MakeDir("real/sub");
  ASSERT_EQ(symlink("real", (dir / "link").c_str()), 0);
  ASSERT_EQ(symlink("sub", (dir / "real/last").c_str()), 0);
  const std::vector<int> expected{0, ELOOP, ELOOP};
  EXPECT_EQ(OpenResults(dir), expected);
  const pid_t child = fork();
  if (child == 0) {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
      _exit(2);
    const bool filtered = syscall(SYS_openat2, AT_FDCWD, "/", nullptr, 0) == -1 && errno == ENOSYS;
    _exit(filtered && OpenResults(dir) == expected ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// While another thread keeps swapping the source with a FIFO, a copy across
// file systems must neither block on the FIFO nor copy it: each try ends, and
// the target is never replaced.
TEST(FileMoveAcrossMounts, AFifoSwappedInForTheSourceNeverBlocksTheCopy) {
  TTempDir dir;
  char pattern[] = "/dev/shm/korvane-filemove-XXXXXX";
  struct stat tmp, shm;
  if (stat(dir.Path().c_str(), &tmp) != 0 || stat("/dev/shm", &shm) != 0 || tmp.st_dev == shm.st_dev ||
      !mkdtemp(pattern))
    GTEST_SKIP() << "no second file system at /dev/shm";
  const std::string other = pattern, to = other + "/clip.mp4";
  const std::string from = dir.WriteFile("clip.mp4", "source"), fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(to) << "target";

  std::atomic<bool> stop{false};
  std::thread swapper([&] {
    while (!stop) renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, fifo.c_str(), RENAME_EXCHANGE);
  });
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;
  int moved = 0;
  const int fromDir = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  const int toDir = open(other.c_str(), O_RDONLY | O_DIRECTORY);
  std::thread mover([&] {
    for (int i = 0; i < 3000; ++i) moved += MoveFileNoReplaceAcrossMountsAt(fromDir, "clip.mp4", toDir, "clip.mp4");
    std::lock_guard lock(mutex);
    done = true;
    cv.notify_all();
  });
  std::unique_lock lock(mutex);
  const bool ended = cv.wait_for(lock, std::chrono::seconds(30), [&] { return done; });
  while (!done) {  // free a blocked open, so that the test ends
    lock.unlock();
    for (const std::string& name : {from, fifo}) close(open(name.c_str(), O_WRONLY | O_NONBLOCK));
    lock.lock();
    cv.wait_for(lock, std::chrono::milliseconds(10), [&] { return done; });
  }
  lock.unlock();
  stop = true;
  mover.join();
  swapper.join();
  close(fromDir);
  close(toDir);
  EXPECT_TRUE(ended) << "the copy blocked opening a FIFO";
  EXPECT_EQ(moved, 0);
  EXPECT_EQ(ReadFile(to), "target");
  struct stat st;
  ASSERT_EQ(lstat(from.c_str(), &st), 0);
  EXPECT_EQ(ReadFile(S_ISREG(st.st_mode) ? from : fifo), "source");
  std::filesystem::remove_all(other);
}

}  // namespace
}  // namespace korvane
