#include "platform/FolderHandle.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace korvane {

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileId IdOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// -1 with ENOSYS where the kernel (or a sandbox) has no openat2.
int OpenNoSymlinks(const std::string& absolute) {
  open_how how{};
  how.flags = kFolderFlags;
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  return static_cast<int>(syscall(SYS_openat2, AT_FDCWD, absolute.c_str(), &how, sizeof how));
}

// Without openat2: one component at a time, each refused when it is a link.
UniqueFd WalkNoLinks(const std::string& absolute) {
  UniqueFd dir(open("/", kFolderFlags));
  size_t start = 1;
  while (dir && start < absolute.size()) {
    size_t end = absolute.find('/', start);
    if (end == std::string::npos) end = absolute.size();
    if (end > start) dir = OpenFolderAt(dir.get(), absolute.substr(start, end - start));
    start = end + 1;
  }
  return dir;
}

}  // namespace

UniqueFd OpenFolderNoLinks(const std::string& absolute) {
  if (absolute.empty() || absolute[0] != '/') {
    errno = EINVAL;
    return UniqueFd();
  }
  const int fd = OpenNoSymlinks(absolute);
  if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return UniqueFd(fd);
  return WalkNoLinks(absolute);
}

UniqueFd OpenFolderAt(int dir, const std::string& name) {
  if (name == "..") {  // a walk never climbs: the path was resolved already
    errno = EINVAL;
    return UniqueFd();
  }
  return UniqueFd(openat(dir, name.c_str(), kFolderFlags));
}

}  // namespace korvane
