#include "platform/FolderHandle.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

namespace korvane {

TUniqueFd::~TUniqueFd() {
  if (FFd >= 0) close(FFd);
}

TUniqueFd& TUniqueFd::operator=(TUniqueFd&& other) noexcept {
  if (this != &other) {
    if (FFd >= 0) close(FFd);
    FFd = std::exchange(other.FFd, -1);
  }
  return *this;
}

namespace {

int64_t Nanoseconds(const statx_timestamp& t) { return t.tv_sec * 1000000000LL + t.tv_nsec; }

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The error of a failed open, ELOOP for a link: O_DIRECTORY, checked first,
// makes it ENOTDIR.
int LinkAwareError(int dir, const std::string& name) {
  const int err = errno;
  struct stat st;
  if (err == ENOTDIR && fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) return ELOOP;
  return err;
}

// -1 with ENOSYS where the kernel (or a sandbox) has no openat2.
int OpenNoSymlinks(const std::string& absolute) {
  open_how how{};
  how.flags = kFolderFlags;
  how.resolve = RESOLVE_NO_SYMLINKS;
  return static_cast<int>(syscall(SYS_openat2, AT_FDCWD, absolute.c_str(), &how, sizeof how));
}

// Without openat2: one component at a time, each refused when it is a link.
TUniqueFd WalkNoLinks(const std::string& absolute) {
  TUniqueFd dir(open("/", kFolderFlags));
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

std::optional<FileId> IdAt(int dir, const std::string& name, int64_t* changedNs) {
  struct statx st;
  const int flags = AT_SYMLINK_NOFOLLOW | (name.empty() ? AT_EMPTY_PATH : 0);
  if (statx(dir, name.c_str(), flags, STATX_INO | STATX_UID | STATX_BTIME | STATX_CTIME, &st) != 0) return std::nullopt;
  if (changedNs) *changedNs = Nanoseconds(st.stx_ctime);
  return FileId{makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino, st.stx_uid,
                st.stx_mask & STATX_BTIME ? Nanoseconds(st.stx_btime) : 0};
}

TUniqueFd OpenFolderNoLinks(const std::string& absolute) {
  if (absolute.empty() || absolute[0] != '/') {
    errno = EINVAL;
    return TUniqueFd();
  }
  const int fd = OpenNoSymlinks(absolute);
  if (fd >= 0) return TUniqueFd(fd);
  if (errno == ENOSYS || errno == EPERM) return WalkNoLinks(absolute);
  errno = LinkAwareError(AT_FDCWD, absolute);
  return TUniqueFd();
}

TUniqueFd OpenFolderAt(int dir, const std::string& name) {
  if (name == "..") {  // a walk never climbs: the path was resolved already
    errno = EINVAL;
    return TUniqueFd();
  }
  TUniqueFd folder(openat(dir, name.c_str(), kFolderFlags));
  if (!folder) errno = LinkAwareError(dir, name);
  return folder;
}

}  // namespace korvane
