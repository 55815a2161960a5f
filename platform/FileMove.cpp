#include "platform/FileMove.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvane {

namespace {

bool Fail(int err, std::string* error) {
  if (error) *error = std::strerror(err);
  errno = err;
  return false;
}

// For file systems whose rename cannot refuse an existing target: a hard link
// refuses one by itself, then the old name goes. Folders cannot be moved so.
bool LinkThenUnlink(const std::string& from, const std::string& to, std::string* error) {
  if (link(from.c_str(), to.c_str()) != 0) return Fail(errno, error);
  if (unlink(from.c_str()) != 0) {
    const int err = errno;
    unlink(to.c_str());  // back to the one name it had
    return Fail(err, error);
  }
  return true;
}

}  // namespace

bool MoveFileNoReplace(const std::string& from, const std::string& to, std::string* error) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) return LinkThenUnlink(from, to, error);
  return Fail(errno, error);
}

}  // namespace korvane
