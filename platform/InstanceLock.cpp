#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/FileKind.h"

namespace korvane {
namespace {

std::string Octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// Why st is no private folder of ours; "" when it is one.
std::string WhyNotPrivateFolder(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return "is a symbolic link";
  if (!S_ISDIR(st.st_mode)) return "is not a folder";
  if (st.st_uid != geteuid()) return "belongs to user " + std::to_string(st.st_uid);
  if ((st.st_mode & 077) != 0) return "is open to other users (mode " + Octal(st.st_mode) + ")";
  return "";
}

// Says once on stderr that path is passed over, and why.
void SayPassedOver(const std::string& what, const std::string& path, const std::string& why) {
  static std::set<std::string> said;
  const std::string text = "Korvane: " + what + " " + path + " " + why + "; /tmp is used instead\n";
  if (said.insert(text).second) std::fputs(text.c_str(), stderr);
}

// $XDG_RUNTIME_DIR when it is a real folder of ours that nobody else may enter.
std::string XdgRuntimeFolder() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  if (!dir || !*dir) return "";
  struct stat st;
  std::string why = dir[0] != '/'              ? "is not an absolute path"
                    : lstat(dir, &st) != 0     ? std::strerror(errno)
                                               : WhyNotPrivateFolder(st);
  if (why.empty()) return dir;
  SayPassedOver("the runtime folder $XDG_RUNTIME_DIR", dir, why);
  return "";
}

// /tmp/korvane-<uid>: anyone could have made the name first, so it is used only
// as a real folder of ours, closed to others.
std::string FallbackFolder() {
  const std::string path = "/tmp/korvane-" + std::to_string(geteuid());
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return "";
  mode_t mode = 0;
  if (!IsOwnRealFolder(path, &mode)) return "";
  return (mode & 077) == 0 || chmod(path.c_str(), 0700) == 0 ? path : "";
}

std::string LockPath(const std::string& folder, const std::string& name) { return folder + "/korvane-" + name + ".lock"; }

// Opens the lock file at path, a regular file of ours; -1 with why when it is not one.
int OpenLockFile(const std::string& path, std::string& why) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) {
    why = std::strerror(errno);
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = "is not a regular file";
  } else if (st.st_uid != geteuid()) {
    // Left by the program run as another user with this environment (sudo -E).
    why = "belongs to user " + std::to_string(st.st_uid);
  } else {
    if ((st.st_mode & 077) != 0) fchmod(fd, 0600);
    return fd;
  }
  close(fd);
  return -1;
}

// Names of the locks this process holds; their descriptors stay open until it ends.
std::set<std::string>& HeldLocks() {
  static std::set<std::string> held;
  return held;
}

}  // namespace

std::string RuntimeFolder() {
  const std::string xdg = XdgRuntimeFolder();
  return xdg.empty() ? FallbackFolder() : xdg;
}

std::string InstanceFilePath(const std::string& name, const std::string& extension) {
  const std::string folder = RuntimeFolder();
  return folder.empty() ? "" : folder + "/korvane-" + name + extension;
}

InstanceLockResult AcquireInstanceLock(const std::string& name) {
  if (HoldsInstanceLock(name)) return InstanceLockResult::Acquired;
  std::string why;
  int fd = -1;
  if (const std::string xdg = XdgRuntimeFolder(); !xdg.empty()) {
    fd = OpenLockFile(LockPath(xdg, name), why);
    // Every launch passes over the same file, so all of them meet in the fallback.
    if (fd < 0) SayPassedOver("the lock file", LockPath(xdg, name), why);
  }
  if (fd < 0) {
    const std::string fallback = FallbackFolder();
    if (!fallback.empty()) fd = OpenLockFile(LockPath(fallback, name), why);
  }
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
