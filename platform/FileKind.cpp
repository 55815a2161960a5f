#include "platform/FileKind.h"

#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

bool IsExistingNonFolder(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsOwnRealFolder(const std::string& path, mode_t* mode) {
  struct stat st{};
  if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return false;
  if (mode) *mode = st.st_mode;
  return true;
}

}  // namespace korvane
