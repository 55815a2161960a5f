#include "platform/FileMove.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <random>

#include "platform/SystemError.h"
#include "platform/WholeFile.h"

namespace korvane {

namespace {

// For file systems whose rename cannot refuse an existing target: a hard link
// refuses one by itself, then the old name goes. Folders cannot be moved so.
bool LinkThenUnlink(int fromDir, const std::string& from, int toDir, const std::string& to, std::string* error) {
  if (linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) != 0) return FailWith(errno, error);
  if (unlinkat(fromDir, from.c_str(), 0) != 0) {
    const int err = errno;
    unlinkat(toDir, to.c_str(), 0);  // back to the one name it had
    return FailWith(err, error);
  }
  return true;
}

}  // namespace

bool MoveFileNoReplaceAt(int fromDir, const std::string& from, int toDir, const std::string& to, std::string* error) {
  if (renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) return LinkThenUnlink(fromDir, from, toDir, to, error);
  return FailWith(errno, error);
}

bool MoveFileNoReplace(const std::string& from, const std::string& to, std::string* error) {
  return MoveFileNoReplaceAt(AT_FDCWD, from, AT_FDCWD, to, error);
}

namespace {

bool CopyData(int in, int out) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = read(in, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || !WriteAll(out, std::string_view(buffer, static_cast<size_t>(n)))) return false;
  }
}

// A new file under a fresh hidden name inside dir, short since the target's
// own name may leave no room for a suffix; -1 (errno set) when none can be made.
int CreateTempAt(int dir, std::string& name) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = ".korvane-";
    for (int i = 0; i < 6; ++i) name += kChars[random() % (sizeof kChars - 1)];
    const int fd = openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The source, opened without blocking (a FIFO swapped in after the look
// would hang the open) and only when it is still the regular file looked at.
int OpenLookedAtFile(int dir, const std::string& name, const struct stat& looked) {
  const int fd = openat(dir, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  if (fd < 0) return fd;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == looked.st_dev && st.st_ino == looked.st_ino) return fd;
  close(fd);
  errno = EXDEV;
  return -1;
}

// Owner and group where this user may give them, else the group alone where
// it may; false when the copy stays this user's.
bool CopyOwner(int out, const struct stat& st) {
  return fchown(out, st.st_uid, st.st_gid) == 0 || fchown(out, static_cast<uid_t>(-1), st.st_gid) == 0;
}

// A failure to set one attribute that means the file system or this user
// cannot have it, not that the copy went wrong.
bool IsUnsupported(int err) { return err == ENOTSUP || err == EOPNOTSUPP || err == EPERM || err == EACCES; }

// The value of one extended attribute; nothing (errno set) when unreadable.
std::optional<std::string> XattrValue(int fd, const char* name) {
  for (int attempt = 0; attempt < 4; ++attempt) {  // it may grow between the two calls
    const ssize_t size = fgetxattr(fd, name, nullptr, 0);
    if (size < 0) return std::nullopt;
    std::string value(static_cast<size_t>(size), '\0');
    const ssize_t n = fgetxattr(fd, name, value.data(), value.size());
    if (n >= 0) return value.substr(0, static_cast<size_t>(n));
    if (errno != ERANGE) return std::nullopt;
  }
  return std::nullopt;
}

// Every extended attribute, the access ACL (system.posix_acl_access) among
// them, where both file systems have them.
bool CopyXattrs(int in, int out) {
  ssize_t size = flistxattr(in, nullptr, 0);
  std::string names(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0) size = flistxattr(in, names.data(), names.size());
  if (size < 0) return IsUnsupported(errno);
  names.resize(static_cast<size_t>(size));
  for (size_t at = 0; at < names.size(); at += strlen(names.c_str() + at) + 1) {
    const char* name = names.c_str() + at;
    const std::optional<std::string> value = XattrValue(in, name);
    if (!value) {
      if (errno == ENODATA || IsUnsupported(errno)) continue;  // gone meanwhile, or not for this user
      return false;
    }
    if (fsetxattr(out, name, value->data(), value->size(), 0) != 0 && !IsUnsupported(errno)) return false;
  }
  return true;
}

// Everything of the file that goes with it: owner first (a change of owner
// clears set-id bits), then mode, attributes and ACLs, times last.
bool CopyMetadata(int in, int out, const struct stat& st) {
  const timespec times[2] = {st.st_atim, st.st_mtim};
  CopyOwner(out, st);  // one this user could not give away is still the file
  return fchmod(out, st.st_mode & 07777) == 0 && CopyXattrs(in, out) && futimens(out, times) == 0;
}

// The file's bytes and metadata under a fresh temporary name in toDir,
// flushed; "" (errno set) when that fails, leaving nothing behind.
std::string CopyBesideTarget(int fromDir, const std::string& from, const struct stat& st, int toDir) {
  const int in = OpenLookedAtFile(fromDir, from, st);
  if (in < 0) return "";
  std::string temp;
  const int out = CreateTempAt(toDir, temp);
  if (out < 0) {
    const int err = errno;
    close(in);
    errno = err;
    return "";
  }
  const bool copied = CopyData(in, out) && CopyMetadata(in, out, st) && fsync(out) == 0;
  const int err = errno;
  close(in);
  if (close(out) != 0 || !copied) {
    unlinkat(toDir, temp.c_str(), 0);
    errno = copied ? EIO : err;
    return "";
  }
  return temp;
}

bool CopyLink(int fromDir, const std::string& from, const struct stat& st, int toDir, const std::string& to,
              std::string* error) {
  std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
  const ssize_t n = readlinkat(fromDir, from.c_str(), target.data(), target.size());
  if (n < 0 || static_cast<size_t>(n) >= target.size()) return FailWith(n < 0 ? errno : EIO, error);
  target.resize(static_cast<size_t>(n));
  if (symlinkat(target.c_str(), toDir, to.c_str()) != 0) return FailWith(errno, error);  // refuses an existing to
  return true;
}

bool CopyAcross(int fromDir, const std::string& from, int toDir, const std::string& to, std::string* error) {
  struct stat st;
  if (fstatat(fromDir, from.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return FailWith(errno, error);
  if (S_ISLNK(st.st_mode)) {
    if (!CopyLink(fromDir, from, st, toDir, to, error)) return false;
  } else {
    if (!S_ISREG(st.st_mode)) return FailWith(EXDEV, error);
    const std::string temp = CopyBesideTarget(fromDir, from, st, toDir);
    if (temp.empty()) return FailWith(errno, error);
    if (!MoveFileNoReplaceAt(toDir, temp, toDir, to, error)) {
      const int err = errno;
      unlinkat(toDir, temp.c_str(), 0);
      return FailWith(err, error);
    }
  }
  // The new name must be on disk before the old one goes: a crash between the
  // two may then leave the file twice, never not at all.
  if (fsync(toDir) == 0 && unlinkat(fromDir, from.c_str(), 0) == 0) return true;
  const int err = errno;
  unlinkat(toDir, to.c_str(), 0);  // ours: the name was free when the copy took it
  return FailWith(err, error);
}

}  // namespace

bool MoveFileNoReplaceAcrossMountsAt(int fromDir, const std::string& from, int toDir, const std::string& to,
                                     std::string* error) {
  if (MoveFileNoReplaceAt(fromDir, from, toDir, to, error)) return true;
  if (errno != EXDEV) return false;
  return CopyAcross(fromDir, from, toDir, to, error);
}

}  // namespace korvane
