#include "platform/FileMove.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

// The file's bytes, mode and times under a fresh temporary name beside to,
// flushed; "" (errno set) when that fails, leaving nothing behind.
std::string CopyBesideTarget(const std::string& from, const struct stat& st, const std::string& to) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (in < 0) return "";
  // A short hidden name: the target's own may leave no room for a suffix.
  std::string temp = to.substr(0, to.rfind('/') + 1) + ".korvane-XXXXXX";
  const int out = mkostemp(temp.data(), O_CLOEXEC);
  if (out < 0) {
    const int err = errno;
    close(in);
    errno = err;
    return "";
  }
  const timespec times[2] = {st.st_atim, st.st_mtim};
  const bool copied = CopyData(in, out) && fchmod(out, st.st_mode & 07777) == 0 && futimens(out, times) == 0 &&
                      fsync(out) == 0;
  const int err = errno;
  close(in);
  if (close(out) != 0 || !copied) {
    unlink(temp.c_str());
    errno = copied ? EIO : err;
    return "";
  }
  return temp;
}

bool CopyLink(const std::string& from, const struct stat& st, const std::string& to, std::string* error) {
  std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
  const ssize_t n = readlink(from.c_str(), target.data(), target.size());
  if (n < 0 || static_cast<size_t>(n) >= target.size()) return FailWith(n < 0 ? errno : EIO, error);
  target.resize(static_cast<size_t>(n));
  if (symlink(target.c_str(), to.c_str()) != 0) return FailWith(errno, error);  // refuses an existing to
  return true;
}

bool CopyAcross(const std::string& from, const std::string& to, std::string* error) {
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) return FailWith(errno, error);
  if (S_ISLNK(st.st_mode)) {
    if (!CopyLink(from, st, to, error)) return false;
  } else {
    if (!S_ISREG(st.st_mode)) return FailWith(EXDEV, error);
    const std::string temp = CopyBesideTarget(from, st, to);
    if (temp.empty()) return FailWith(errno, error);
    if (!MoveFileNoReplace(temp, to, error)) {
      const int err = errno;
      unlink(temp.c_str());
      return FailWith(err, error);
    }
  }
  if (unlink(from.c_str()) == 0) return true;
  const int err = errno;
  unlink(to.c_str());  // ours: the name was free when the copy took it
  return FailWith(err, error);
}

}  // namespace

bool MoveFileNoReplaceAcrossMounts(const std::string& from, const std::string& to, std::string* error) {
  if (MoveFileNoReplace(from, to, error)) return true;
  if (errno != EXDEV) return false;
  return CopyAcross(from, to, error);
}

}  // namespace korvane
