#include "platform/FileMove.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace korvane {
namespace {

using test::ReadFile;
using test::TempDir;

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

TEST(FileMoveNoReplace, MovesTheFileWithItsBytes) {
  TempDir dir;
  const std::string from = dir.WriteFile("a.mp4", "abc");
  std::string error = "untouched";
  ASSERT_TRUE(MoveFileNoReplace(from, dir / "b.mp4", &error));
  EXPECT_FALSE(Exists(from));
  EXPECT_EQ(ReadFile(dir / "b.mp4"), "abc");
  EXPECT_EQ(error, "untouched");
}

TEST(FileMoveNoReplace, RefusesAnyExistingTarget) {
  TempDir dir;
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
  TempDir dir;
  std::string error;
  EXPECT_FALSE(MoveFileNoReplace(dir / "gone.mp4", dir / "new.mp4", &error));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(Exists(dir / "new.mp4"));
}

TEST(FileMoveNoReplace, NeverCopiesAcrossFileSystems) {
  TempDir dir;
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

}  // namespace
}  // namespace korvane
