#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "platform/UnixSocket.h"

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

// Set while a lock is taken over: the process before the exec has said it all.
bool quiet = false;

// Says text on stderr, once in this process.
void SayOnce(const std::string& text) {
  static std::set<std::string> said;
  if (!quiet && said.insert(text).second) std::fputs(("Korvane: " + text + "\n").c_str(), stderr);
}

void SayPassedOver(const std::string& what, const std::string& path, const std::string& why) {
  SayOnce(what + " " + path + " " + why + "; /tmp is used instead");
}

// Without the folder there is no lock to meet the running instance at.
void SayRunningAlone(const std::string& path, const std::string& why) {
  SayOnce(path + " " + why + "; this launch runs on its own and takes no hand-off");
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

std::string FilePathIn(const std::string& folder, const std::string& name, const char* extension) {
  return folder + "/korvane-" + name + extension;
}

// Why the socket of name cannot be bound in folder; "" when it can.
std::string WhySocketDoesNotFit(const std::string& folder, const std::string& name) {
  sockaddr_un address;
  const std::string socket = FilePathIn(folder, name, ".sock");
  if (FillUnixAddress(socket, address)) return "";
  return "is too long for the hand-off socket (" + std::to_string(socket.size()) + " bytes with its name, at most " +
         std::to_string(sizeof address.sun_path - 1) + ")";
}

// Why the lock file at path, if there is one, is not a regular file of ours; "" when it is or is not there.
std::string WhyNotOwnLockFile(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return "";
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  // Left by the program run as another user with this environment (sudo -E).
  if (st.st_uid != geteuid()) return "belongs to user " + std::to_string(st.st_uid);
  return "";
}

// Whether the runtime folder can hold both the lock and the socket of name; says why not.
bool HoldsInstanceFiles(const std::string& xdg, const std::string& name) {
  if (const std::string why = WhySocketDoesNotFit(xdg, name); !why.empty()) {
    SayPassedOver("the runtime folder $XDG_RUNTIME_DIR", xdg, why);
    return false;
  }
  const std::string lock = FilePathIn(xdg, name, ".lock");
  // Every launch passes over the same file, so all of them meet in the fallback.
  if (const std::string why = WhyNotOwnLockFile(lock); !why.empty()) {
    SayPassedOver("the lock file", lock, why);
    return false;
  }
  return true;
}

// /tmp/korvane-<uid>: anyone could have made the name first, so it is used only
// as a real folder of ours, closed to others.
std::string FallbackFolder(const std::string& name) {
  const std::string path = "/tmp/korvane-" + std::to_string(geteuid());
  struct stat st;
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    SayRunningAlone(path, std::string("cannot be made: ") + std::strerror(errno));
    return "";
  }
  if (lstat(path.c_str(), &st) != 0) {
    SayRunningAlone(path, std::strerror(errno));
    return "";
  }
  // Ours but open to others (an older version left it so): closed first.
  if (S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) && chmod(path.c_str(), 0700) == 0)
    st.st_mode &= ~077;
  std::string why = WhyNotPrivateFolder(st);
  if (why.empty()) why = WhySocketDoesNotFit(path, name);
  if (why.empty()) return path;
  SayRunningAlone(path, why);
  return "";
}

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
    why = "belongs to user " + std::to_string(st.st_uid);
  } else {
    if ((st.st_mode & 077) != 0) fchmod(fd, 0600);
    return fd;
  }
  close(fd);
  return -1;
}

// The locks this process holds by name, with their descriptors, which stay open until it ends.
std::map<std::string, int>& HeldLocks() {
  static std::map<std::string, int> held;
  return held;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

std::string InstanceFolder(const std::string& name) {
  const std::string xdg = XdgRuntimeFolder();
  return !xdg.empty() && HoldsInstanceFiles(xdg, name) ? xdg : FallbackFolder(name);
}

std::string InstanceFilePath(const std::string& name, const std::string& extension) {
  const std::string folder = InstanceFolder(name);
  return folder.empty() ? "" : FilePathIn(folder, name, extension.c_str());
}

std::string InstanceSocketPath(const std::string& name) { return InstanceFilePath(name, ".sock"); }

InstanceLockResult AcquireInstanceLock(const std::string& name) {
  if (HoldsInstanceLock(name)) return InstanceLockResult::Acquired;
  const std::string lock = InstanceFilePath(name, ".lock");
  if (lock.empty()) return InstanceLockResult::Failed;
  std::string why;
  const int fd = OpenLockFile(lock, why);
  if (fd < 0) {
    SayRunningAlone("the lock file " + lock, why);
    return InstanceLockResult::Failed;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return held ? InstanceLockResult::HeldByOther : InstanceLockResult::Failed;
  }
  HeldLocks().emplace(name, fd);  // fd deliberately stays open for the life of the process
  return InstanceLockResult::Acquired;
}

bool HoldsInstanceLock(const std::string& name) { return HeldLocks().count(name) > 0; }

int InstanceLockDescriptor(const std::string& name) {
  const auto held = HeldLocks().find(name);
  return held == HeldLocks().end() ? -1 : held->second;
}

bool AdoptInstanceLock(const std::string& name, int fd) {
  if (HoldsInstanceLock(name)) return true;
  quiet = true;
  const std::string lock = InstanceFilePath(name, ".lock");
  struct stat onDisk, given;
  // Any other descriptor is left as it is: it is not ours to close. Taking a
  // lock this descriptor holds already succeeds at once.
  const bool adopted = !lock.empty() && lstat(lock.c_str(), &onDisk) == 0 && fstat(fd, &given) == 0 &&
                       SameFile(onDisk, given) && flock(fd, LOCK_EX | LOCK_NB) == 0;
  // Taken over, the words on the instance's folder have been said; otherwise they are still to come.
  quiet = adopted;
  if (!adopted) return false;
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  HeldLocks().emplace(name, fd);
  return true;
}

}  // namespace korvane
