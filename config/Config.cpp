#include "config/Config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

#include "base/AsciiText.h"
#include "base/Paths.h"

namespace korvane {

namespace {

// Whether the owner's read bit settles readability: the owner class always
// decides for the owner, ACLs or not, so no open is needed to know.
bool OwnerMayRead(const struct stat& st) { return st.st_uid == ::geteuid() && (st.st_mode & S_IRUSR) != 0; }

bool CanOpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// The size the filter compares: -1 for anything but a readable regular file.
int64_t FilterSize(const std::string& path, const struct stat& st) {
  if (!S_ISREG(st.st_mode)) return -1;
  if (!OwnerMayRead(st) && !CanOpenForReading(path)) return -1;
  return st.st_size;
}

// One line per item. The items are not trimmed as a whole text, which would
// drop an empty first item and so change the set on an apply without edits.
// An empty last item (the set holding only the empty string) keeps its line
// break: an empty rest after the last break is no line.
std::string JoinLines(const TNameSet& set) {
  std::string text;
  for (size_t i = 0; i < set.Count(); ++i) {
    if (i > 0) text += "\r\n";
    text += set[i];
  }
  if (!set.Empty() && set[set.Count() - 1].empty()) text += "\r\n";
  return text;
}

// Every line of the text, trimmed; an empty rest after the last line break is
// no line.
void SplitLinesInto(std::string_view text, TNameSet& set) {
  set.Clear();
  while (!text.empty()) {
    const size_t end = text.find_first_of("\r\n");
    set.Add(std::string(TrimControls(text.substr(0, end))));
    if (end == std::string_view::npos) break;
    const size_t next = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? end + 2 : end + 1;
    text.remove_prefix(next);
  }
}

}  // namespace

bool TConfig::AcceptFile(const std::string& path) const {
  // Every test must pass, so the name tests, which need no system call, go first.
  if (FIgnoreExt.Contains(ExtractFileExt(path))) return false;
  const std::string name = ExtractFileName(path);
  if (FIgnoreList.Contains(name)) return false;

  // A file whose status cannot be read counts as having every attribute.
  struct stat st {};
  const bool known = ::stat(path.c_str(), &st) == 0;
  if (FReadOnly && (!known || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)) return false;
  if (FHidden && (!known || name.starts_with('.'))) return false;
  if (FSysFile && (!known || !S_ISREG(st.st_mode))) return false;

  const int64_t size = known ? FilterSize(path, st) : -1;
  return size >= FLowerSize;
}

int64_t FileSizeOf(const std::string& path) {
  // Only regular files are opened: opening a device or FIFO can have effects.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return -1;
  const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return ok ? static_cast<int64_t>(st.st_size) : -1;
}

std::string TConfig::MoveTarget(int n) const {
  if (n < 1 || n > static_cast<int>(FMoveTo.size())) return "";
  const std::string& folder = FMoveTo[static_cast<size_t>(n - 1)];
  return IsMoveTargetPath(folder) ? folder : "";
}

bool FitsIniLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }
bool IsMoveTargetPath(const std::string& folder) { return !folder.empty() && folder[0] == '/' && FitsIniLine(folder); }

void TConfig::ToForm(ConfigFormView& view) const {
  view.ChkReadOnly = FReadOnly;
  view.ChkHidden = FHidden;
  view.ChkSysFile = FSysFile;
  view.MemIgnoreList = JoinLines(FIgnoreList);
  view.MemIgnoreExt = JoinLines(FIgnoreExt);
  view.EditLowerSizeText = std::to_string(FLowerSize);
  view.EditLowerSizeTag = FLowerSize;
}

void TConfig::FromForm(const ConfigFormView& view) {
  FReadOnly = view.ChkReadOnly;
  FHidden = view.ChkHidden;
  FSysFile = view.ChkSysFile;
  SplitLinesInto(view.MemIgnoreList, FIgnoreList);
  SplitLinesInto(view.MemIgnoreExt, FIgnoreExt);
  FLowerSize = view.EditLowerSizeTag;
}

}  // namespace korvane
