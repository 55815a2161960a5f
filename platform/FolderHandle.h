#pragma once
// Folders held open by descriptor, so that what was checked is what is used:
// a name swapped for another folder or a link after the check changes nothing.
#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <utility>

namespace korvane {

// A descriptor that closes itself.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Which file a name stood for: equal ids, the same file.
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileId&) const = default;
};
FileId IdOf(const struct stat& st);

// Opens the folder at an absolute path, following no link anywhere on the way;
// an invalid descriptor with errno set (ELOOP for a link) when it cannot.
UniqueFd OpenFolderNoLinks(const std::string& absolute);
// Opens the folder name inside the folder dir, not through a link.
UniqueFd OpenFolderAt(int dir, const std::string& name);

}  // namespace korvane
