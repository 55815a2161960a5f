#include "app/startup/FrontHandOver.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "base/IntParse.h"
#include "base/Paths.h"
#include "platform/InstanceLock.h"
#include "platform/OwnExecutable.h"

namespace korvane {
namespace {

// The file of that name in the folder of path.
std::string BesideFile(const std::string& path, const std::string& name) { return ExtractFilePath(path) + name; }

}  // namespace

std::string ExecFullProgram(const std::string& lockName, char** argv) {
  const std::string& front = OwnExecutablePath();
  if (front.empty()) return std::string("cannot read its own path from ") + kOwnImage;
  const std::string program = BesideFile(front, kFullProgramName);
  setenv(kFrontPathVariable, front.c_str(), 1);
  const int fd = InstanceLockDescriptor(lockName);
  if (fd >= 0 && fcntl(fd, F_SETFD, 0) == 0) setenv(kHandedLockVariable, std::to_string(fd).c_str(), 1);
  else unsetenv(kHandedLockVariable);  // one from the user's own environment means nothing
  execv(program.c_str(), argv);
  return "cannot start " + program + ": " + std::strerror(errno);
}

void TakeOverFromFront(const std::string& lockName) {
  const char* front = std::getenv(kFrontPathVariable);
  if (front && *front == '/') SetOwnExecutablePath(front);
  else if (ExtractFileName(OwnExecutablePath()) == kFullProgramName)
    SetOwnExecutablePath(BesideFile(OwnExecutablePath(), kFrontName));
  const char* fdText = std::getenv(kHandedLockVariable);
  const std::optional<int32_t> fd = fdText ? ParseInt(fdText) : std::nullopt;
  if (fd && *fd > STDERR_FILENO) AdoptInstanceLock(lockName, *fd);
  unsetenv(kFrontPathVariable);
  unsetenv(kHandedLockVariable);
}

}  // namespace korvane
