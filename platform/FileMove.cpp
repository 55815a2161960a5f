#include "platform/FileMove.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SystemError.h"

namespace korvane {

namespace {

// For file systems whose rename cannot refuse an existing target: a hard link
// refuses one by itself, then the old name goes. Folders cannot be moved so.
bool LinkThenUnlink(const std::string& from, const std::string& to, std::string* error) {
  if (link(from.c_str(), to.c_str()) != 0) return FailWith(errno, error);
  if (unlink(from.c_str()) != 0) {
    const int err = errno;
    unlink(to.c_str());  // back to the one name it had
    return FailWith(err, error);
  }
  return true;
}

}  // namespace

bool MoveFileNoReplace(const std::string& from, const std::string& to, std::string* error) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) return LinkThenUnlink(from, to, error);
  return FailWith(errno, error);
}

}  // namespace korvane
