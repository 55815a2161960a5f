#pragma once
// Folders held open by descriptor, so that what was checked is what is used:
// a name swapped for another folder or a link after the check changes nothing.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace korvane {

// A descriptor that closes itself.
class TUniqueFd {
 public:
  TUniqueFd() = default;
  explicit TUniqueFd(int fd) : FFd(fd) {}
  ~TUniqueFd();
  TUniqueFd(TUniqueFd&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
  TUniqueFd& operator=(TUniqueFd&& other) noexcept;
  int get() const { return FFd; }
  explicit operator bool() const { return FFd >= 0; }

 private:
  int FFd = -1;
};

// Which file a name stood for. An inode number alone may go to a new file
// once the old one is gone, so the owner and the birth time (zero where the
// file system keeps none) go with it.
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  uid_t owner = 0;
  int64_t bornNs = 0;
  bool operator==(const FileId&) const = default;
};
// The id of name inside dir, not following a link; of dir itself for "".
// Its status change time in ns in *changedNs when given. Nothing (errno set)
// when there is no such file.
std::optional<FileId> IdAt(int dir, const std::string& name, int64_t* changedNs = nullptr);

// Opens the folder at an absolute path, following no link anywhere on the way;
// an invalid descriptor with errno set (ELOOP for a link) when it cannot.
TUniqueFd OpenFolderNoLinks(const std::string& absolute);
// Opens the folder name inside the folder dir, not through a link.
TUniqueFd OpenFolderAt(int dir, const std::string& name);

}  // namespace korvane
