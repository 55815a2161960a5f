#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <set>

namespace korvane {
namespace {

bool IsFolder(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// A folder of ours under the shared /tmp: anyone could have made the name first.
bool IsPrivateFolderOfOurs(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return false;
  return (st.st_mode & 077) == 0 || chmod(path.c_str(), 0700) == 0;
}

// Names of the locks this process holds; their descriptors stay open until it ends.
std::set<std::string>& HeldLocks() {
  static std::set<std::string> held;
  return held;
}

}  // namespace

std::string RuntimeFolder() {
  if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && dir[0] == '/' && IsFolder(dir)) return dir;
  const std::string fallback = "/tmp/korvane-" + std::to_string(geteuid());
  if (mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) return "";
  return IsPrivateFolderOfOurs(fallback) ? fallback : "";
}

std::string InstanceFilePath(const std::string& name, const std::string& extension) {
  const std::string folder = RuntimeFolder();
  return folder.empty() ? "" : folder + "/korvane-" + name + extension;
}

InstanceLockResult AcquireInstanceLock(const std::string& name) {
  if (HoldsInstanceLock(name)) return InstanceLockResult::Acquired;
  const std::string path = InstanceFilePath(name, ".lock");
  if (path.empty()) return InstanceLockResult::Failed;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return InstanceLockResult::Failed;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return held ? InstanceLockResult::HeldByOther : InstanceLockResult::Failed;
  }
  HeldLocks().insert(name);  // fd deliberately stays open for the life of the process
  return InstanceLockResult::Acquired;
}

bool HoldsInstanceLock(const std::string& name) { return HeldLocks().count(name) > 0; }

}  // namespace korvane
