// Bringing a trashed file back: the reverse of TrashFile, checked first against
// what other programs (or other users) may have done since. Every step works
// on folders held open, so that the folder checked is the folder written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "base/Paths.h"
#include "dialogs/trash/Trash.h"
#include "platform/FileMove.h"
#include "platform/FolderHandle.h"

namespace korvane {

namespace {

constexpr char kNotInTrash[] = "ゴミ箱にありません (空にされたか、ほかのプログラムが戻しました)";
constexpr char kLinkOnTheWay[] = "元のフォルダへの道にリンクがあります";
constexpr char kAnotherFolder[] = "元のフォルダが作り直されたか、別のフォルダに置き換えられています";
// A record is a few lines; anything longer is not one of ours.
constexpr size_t kMaxRecord = 1 << 16;

bool Refuse(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

std::string FolderOf(const std::string& path) { return ExcludeTrailingPathDelimiter(ExtractFilePath(path)); }

// What a record of the trash holds; "" when it cannot be read.
std::string RecordText(int infoDir, const std::string& name) {
  const TUniqueFd fd(openat(infoDir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st;
  if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
  std::string text(kMaxRecord, '\0');
  const ssize_t n = read(fd.get(), text.data(), text.size());
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

// The Path key of a record, decoded; "" when it has none.
std::string RecordedPath(const std::string& record) {
  std::istringstream in(record);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("Path=", 0) == 0) return PercentDecodePath(std::string_view(line).substr(5));
  return "";
}

// Whether the record still names the original, exactly: absolute in the home
// trash, relative to the mount's top in a top-level one.
bool RecordNames(const std::string& recorded, const TrashedFile& trashed) {
  if (recorded.empty()) return false;
  if (trashed.topDir.empty()) return recorded == trashed.original;
  return recorded[0] != '/' && IncludeTrailingPathDelimiter(trashed.topDir) + recorded == trashed.original;
}

// The trash's two folders, opened from its root.
struct OpenedTrash {
  TUniqueFd files;
  TUniqueFd info;
};

// Whether the trash still holds this very file, under its record.
bool StillTrashed(const TrashedFile& trashed, OpenedTrash& trash) {
  const TUniqueFd root = OpenFolderNoLinks(FolderOf(FolderOf(trashed.file)));
  if (!root) return false;
  trash = {OpenFolderAt(root.get(), "files"), OpenFolderAt(root.get(), "info")};
  if (!trash.files || !trash.info) return false;
  int64_t changedNs = 0;
  return IdAt(trash.files.get(), ExtractFileName(trashed.file), &changedNs) == trashed.self &&
         changedNs == trashed.selfChangedNs &&
         RecordNames(RecordedPath(RecordText(trash.info.get(), ExtractFileName(trashed.info))), trashed);
}

std::string WhyNotMoved(int err) {
  switch (err) {
    case EEXIST:
    case ENOTEMPTY: return "元の場所に同じ名前のファイルがあります";
    case ENOENT:
    case ENOTDIR: return "元のフォルダがありません";
    case ELOOP: return kLinkOnTheWay;
    case EACCES:
    case EPERM:
    case EROFS: return "元のフォルダに書き込めません";
    default: return std::string("戻せません: ") + std::strerror(err);
  }
}

// The folder the file came from, reached without a link, and only while it
// is that same folder; else an invalid descriptor and error says why.
TUniqueFd OpenOriginalFolder(const TrashedFile& trashed, std::string* error) {
  TUniqueFd folder = OpenFolderNoLinks(FolderOf(trashed.original));
  if (!folder) {
    Refuse(error, WhyNotMoved(errno));
  } else if (IdAt(folder.get(), "") != trashed.folder) {
    Refuse(error, kAnotherFolder);
    folder = TUniqueFd();
  }
  return folder;
}

}  // namespace

bool RestoreFromTrash(const TrashedFile& trashed, std::string* error) {
  OpenedTrash trash;
  if (!StillTrashed(trashed, trash)) return Refuse(error, kNotInTrash);
  const TUniqueFd folder = OpenOriginalFolder(trashed, error);
  if (!folder) return false;
  const std::string name = ExtractFileName(trashed.original);
  struct stat st;
  // Asked beforehand only to give the plain reason; the move itself refuses
  // a name taken in the meantime.
  if (fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return Refuse(error, WhyNotMoved(EEXIST));
  if (!MoveFileNoReplaceAcrossMountsAt(trash.files.get(), ExtractFileName(trashed.file), folder.get(), name))
    return Refuse(error, WhyNotMoved(errno));
  // The record goes only once the file is back; one left over names nothing.
  unlinkat(trash.info.get(), ExtractFileName(trashed.info).c_str(), 0);
  return true;
}

}  // namespace korvane
