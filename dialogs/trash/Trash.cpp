#include "dialogs/trash/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "base/Paths.h"
#include "base/Utf.h"
#include "platform/FileKind.h"
#include "platform/FileMove.h"
#include "platform/FolderHandle.h"
#include "platform/HomeFolder.h"
#include "platform/SystemError.h"
#include "platform/WholeFile.h"

namespace korvane {

namespace {

// Room left in a name for ".trashinfo" and a clash counter.
constexpr size_t kMaxTrashName = 200;
constexpr int kMaxClashes = 100000;

std::string JoinPath(const std::string& dir, const std::string& name) {
  return IncludeTrailingPathDelimiter(dir) + name;
}

std::string ParentOf(const std::string& absolute) {
  return ExcludeTrailingPathDelimiter(ExtractFilePath(absolute));
}

// The folder path with every link in it resolved.
bool ResolveFolder(const std::string& folder, std::string& real, std::string* error, const std::string& what) {
  char* resolved = realpath(folder.empty() ? "." : folder.c_str(), nullptr);
  if (!resolved) return FailWith(errno, error, what);
  real = resolved;
  free(resolved);
  return true;
}

// The file's folder with every link in it resolved, held open, and its own
// name. The name itself is not resolved: a link goes to the trash, not what
// it points at.
struct Location {
  std::string dir;
  std::string name;
  TUniqueFd folder;
  FileId id;  // the folder's
  std::string Path() const { return JoinPath(dir, name); }
};

bool Locate(const std::string& path, Location& where, std::string* error) {
  const std::string trimmed = ExcludeTrailingPathDelimiter(path);
  where.name = ExtractFileName(trimmed);
  if (where.name.empty() || where.name == "." || where.name == "..") return FailWith(EINVAL, error, path);
  if (!ResolveFolder(ExtractFilePath(trimmed), where.dir, error, "ファイルが見つかりません")) return false;
  where.folder = OpenFolderNoLinks(where.dir);
  const std::optional<FileId> id = where.folder ? IdAt(where.folder.get(), "") : std::nullopt;
  if (!id) return FailWith(errno, error, "ファイルが見つかりません");
  where.id = *id;
  return true;
}

// The home folder, or the root when there is none.
std::string HomeOrRoot() {
  const std::string home = HomeFolder();
  return home.empty() ? "/" : home;
}

std::string HomeTrashRoot() {
  const char* dataHome = getenv("XDG_DATA_HOME");
  const std::string base = dataHome && dataHome[0] == '/' ? dataHome : JoinPath(HomeOrRoot(), ".local/share");
  return JoinPath(base, "Trash");
}

// The device of path, or of its nearest ancestor that exists.
dev_t DeviceOfNearest(std::string path) {
  struct stat st {};
  while (stat(path.c_str(), &st) != 0) {
    if (path.size() <= 1) return 0;
    path = ParentOf(path);
  }
  return st.st_dev;
}

// The highest folder above dir that lies on the same device: the mount's top.
std::string TopDirOf(std::string dir, dev_t device) {
  struct stat st;
  while (dir != "/") {
    const std::string parent = ParentOf(dir);
    if (stat(parent.c_str(), &st) != 0 || st.st_dev != device) break;
    dir = parent;
  }
  return dir;
}

bool MakeFolder(const std::string& path, std::string* error) {
  if (mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && IsFolder(path))) return true;
  return FailWith(errno == EEXIST ? ENOTDIR : errno, error, "ゴミ箱を作成できません (" + path + ")");
}

bool MakeFolders(const std::string& path, std::string* error) {
  if (IsFolder(path)) return true;
  if (path.size() > 1 && !MakeFolders(ParentOf(path), error)) return false;
  return MakeFolder(path, error);
}

// The folder name inside parent, made when missing, opened without following
// a link; shown names it in the message of a failure.
TUniqueFd MakeFolderAt(int parent, const std::string& name, const std::string& shown, std::string* error) {
  TUniqueFd folder;
  if (mkdirat(parent, name.c_str(), 0700) == 0 || errno == EEXIST) folder = OpenFolderAt(parent, name);
  if (!folder) FailWith(errno == ELOOP ? ENOTDIR : errno, error, "ゴミ箱を作成できません (" + shown + ")");
  return folder;
}

// A folder of this user that no one else may write to.
bool IsOwnUnsharedFolder(int folder) {
  struct stat st;
  return fstat(folder, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 022) == 0;
}

// One trash: its root folder's path, the top folder its records are relative
// to ("" for the home trash, whose records hold absolute paths), and its two
// folders held open, so that what was checked is what takes the file.
struct TrashDir {
  std::string root;
  std::string topDir;
  TUniqueFd files;
  TUniqueFd info;
};

// Opens (making it when missing) the trash root named name inside parent. A
// top-level trash lies where others may write, so its root must be a folder
// of this user that only this user may write to.
bool OpenTrash(int parent, const std::string& name, TrashDir& trash, std::string* error) {
  const TUniqueFd root = MakeFolderAt(parent, name, trash.root, error);
  if (!root) return false;
  if (!trash.topDir.empty() && !IsOwnUnsharedFolder(root.get()))
    return FailWith(EPERM, error, "ゴミ箱を使えません (" + trash.root + ")");
  trash.files = MakeFolderAt(root.get(), "files", JoinPath(trash.root, "files"), error);
  if (trash.files) trash.info = MakeFolderAt(root.get(), "info", JoinPath(trash.root, "info"), error);
  return trash.files && trash.info;
}

bool OpenHomeTrash(TrashDir& trash, std::string* error) {
  const std::string home = HomeTrashRoot();
  std::string base;
  if (!MakeFolders(ParentOf(home), error) || !ResolveFolder(ParentOf(home), base, error, "ゴミ箱を作成できません"))
    return false;
  const TUniqueFd parent = OpenFolderNoLinks(base);
  if (!parent) return FailWith(errno, error, "ゴミ箱を作成できません (" + base + ")");
  trash.root = JoinPath(base, ExtractFileName(home));
  return OpenTrash(parent.get(), ExtractFileName(home), trash, error);
}

// $topdir/.Trash as the administrator makes it: root's, sticky, no link. The
// owner of a sticky folder may rename anything in it, so one of anyone else's
// could swap this user's trash for his own.
TUniqueFd OpenAdminTrash(int top) {
  TUniqueFd shared = OpenFolderAt(top, ".Trash");
  struct stat st;
  if (!shared || fstat(shared.get(), &st) != 0 || st.st_uid != 0 || !(st.st_mode & S_ISVTX)) return TUniqueFd();
  return shared;
}

// $topdir/.Trash/$uid when the administrator's .Trash can take it, else
// $topdir/.Trash-$uid.
bool OpenTopTrash(const std::string& topDir, TrashDir& trash, std::string* error) {
  const TUniqueFd top = OpenFolderNoLinks(topDir);
  if (!top) return FailWith(errno, error, "ゴミ箱を作成できません (" + topDir + ")");
  const std::string uid = std::to_string(geteuid());
  trash.topDir = topDir;
  if (const TUniqueFd shared = OpenAdminTrash(top.get())) {
    trash.root = JoinPath(JoinPath(topDir, ".Trash"), uid);
    std::string ignored;
    if (OpenTrash(shared.get(), uid, trash, &ignored)) return true;
  }
  trash.root = JoinPath(topDir, ".Trash-" + uid);
  return OpenTrash(top.get(), ".Trash-" + uid, trash, error);
}

bool ChooseTrash(const Location& where, dev_t device, TrashDir& trash, std::string* error) {
  if (DeviceOfNearest(HomeTrashRoot()) == device) return OpenHomeTrash(trash, error);
  return OpenTopTrash(TopDirOf(where.dir, device), trash, error);
}

std::string LocalTimeStamp() {
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

std::string TrashInfoText(const TrashDir& trash, const std::string& original) {
  const std::string recorded = trash.topDir.empty() ? original : original.substr(IncludeTrailingPathDelimiter(trash.topDir).size());
  return "[Trash Info]\nPath=" + PercentEncodePath(recorded) + "\nDeletionDate=" + LocalTimeStamp() + "\n";
}

// The name in the trash for the clash-th try: "clip.mp4", "clip.2.mp4", ...
std::string TrashName(const std::string& name, int clash) {
  std::string ext = ExtractFileExt(name);
  if (ext.size() == name.size() || ext.size() > kMaxTrashName / 4) ext.clear();
  // Cut so that a counter and ".trashinfo" still fit.
  std::string stem = CutUtf8(name.substr(0, name.size() - ext.size()), kMaxTrashName - ext.size());
  if (clash > 1) stem += "." + std::to_string(clash);
  return stem + ext;
}

bool WriteAndSync(int fd, const std::string& text) { return WriteAll(fd, text) && fsync(fd) == 0; }

enum class PutResult { Done, NameTaken, Failed };

PutResult FailPut(std::string* error, const std::string& what, int err) {
  FailWith(err, error, what);
  return PutResult::Failed;
}

// Claims the name with its record first (so no two trashings take one name),
// then moves the file under it; a move that fails takes its record back.
PutResult PutUnder(const TrashDir& trash, const Location& where, const std::string& name, TrashedFile& placed,
                   std::string* error) {
  placed = {JoinPath(JoinPath(trash.root, "files"), name), JoinPath(JoinPath(trash.root, "info"), name + ".trashinfo"),
            where.Path(), trash.topDir, where.id, {}, 0};
  const std::string infoName = name + ".trashinfo";
  const int fd = openat(trash.info.get(), infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST) return PutResult::NameTaken;
  if (fd < 0) return FailPut(error, "ゴミ箱に記録できません (" + placed.info + ")", errno);
  const bool written = WriteAndSync(fd, TrashInfoText(trash, where.Path()));
  const int writeError = errno;
  close(fd);
  if (!written) {
    unlinkat(trash.info.get(), infoName.c_str(), 0);
    return FailPut(error, "ゴミ箱に記録できません (" + placed.info + ")", writeError);
  }
  if (MoveFileNoReplaceAt(where.folder.get(), where.name, trash.files.get(), name)) {
    // What now lies under the name is what went, even if the name was swapped first.
    placed.self = IdAt(trash.files.get(), name, &placed.selfChangedNs).value_or(FileId{});
    return PutResult::Done;
  }
  const int moveError = errno;
  unlinkat(trash.info.get(), infoName.c_str(), 0);
  if (moveError == EEXIST) return PutResult::NameTaken;
  return FailPut(error, "ゴミ箱に移動できません", moveError);
}

}  // namespace

std::optional<TrashedFile> TrashFile(const std::string& path, std::string* error) {
  Location where;
  if (!Locate(path, where, error)) return std::nullopt;
  struct stat st;
  if (fstatat(where.folder.get(), where.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    FailWith(errno, error, "ファイルが見つかりません");
    return std::nullopt;
  }
  TrashDir trash;
  if (!ChooseTrash(where, st.st_dev, trash, error)) return std::nullopt;
  TrashedFile placed;
  for (int clash = 1; clash <= kMaxClashes; ++clash) {
    switch (PutUnder(trash, where, TrashName(where.name, clash), placed, error)) {
      case PutResult::Done: return placed;
      case PutResult::Failed: return std::nullopt;
      case PutResult::NameTaken: break;
    }
  }
  FailWith(EEXIST, error, "ゴミ箱に同じ名前が多すぎます");
  return std::nullopt;
}

}  // namespace korvane
