#include "platform/OwnExecutable.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

namespace korvane {
namespace {

// The link's text names the file, unless the file is gone: then the kernel
// appends a mark, which a file really named so would not need.
std::string WithoutDeletedMark(std::string link) {
  constexpr std::string_view kMark = " (deleted)";
  if (!link.ends_with(kMark)) return link;
  struct stat named {}, image {};
  const bool stillThere = ::stat(link.c_str(), &named) == 0 && ::stat(kOwnImage, &image) == 0 &&
                          named.st_dev == image.st_dev && named.st_ino == image.st_ino;
  if (!stillThere) link.resize(link.size() - kMark.size());
  return link;
}

std::string ReadOwnPath() {
  std::string path(4096, '\0');
  const ssize_t n = ::readlink(kOwnImage, path.data(), path.size());
  if (n <= 0 || static_cast<size_t>(n) >= path.size()) return "";
  path.resize(static_cast<size_t>(n));
  return WithoutDeletedMark(std::move(path));
}

std::string& StoredPath() {
  static std::string path = ReadOwnPath();
  return path;
}

}  // namespace

const std::string& OwnExecutablePath() { return StoredPath(); }

void SetOwnExecutablePath(const std::string& path) { StoredPath() = path; }

}  // namespace korvane
