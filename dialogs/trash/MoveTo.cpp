#include "dialogs/trash/MoveTo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "base/Paths.h"
#include "base/Utf.h"
#include "platform/FileMove.h"

namespace korvane {
namespace {

constexpr int kMaxTries = 9999;
constexpr char kNameTakenBack[] = "元の場所に同じ名前のファイルがあります";

bool Refuse(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

std::string WhyNot(int err) {
  switch (err) {
    case ENOENT: return "フォルダがありません";
    case ENOTDIR: return "フォルダではありません";
    case EACCES:
    case EPERM:
    case EROFS: return "フォルダに書き込めません";
    case ENOSPC:
    case EDQUOT: return "空き容量が足りません";
    default: return std::strerror(err);
  }
}

std::string FolderOf(const std::string& path) { return ExcludeTrailingPathDelimiter(ExtractFilePath(path)); }

TUniqueFd OpenFolder(const std::string& folder) {
  return TUniqueFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool NameTaken(int err) { return err == EEXIST || err == ENOTEMPTY; }

}  // namespace

std::string NumberedMoveName(const std::string& name, int n) {
  if (n <= 1) return name;
  std::string ext = ExtractFileExt(name);
  if (ext.size() == name.size() || ext.size() > NAME_MAX / 4) ext.clear();
  const std::string counter = " (" + std::to_string(n) + ")";
  const std::string stem = name.substr(0, name.size() - ext.size());
  return CutUtf8(stem, NAME_MAX - counter.size() - ext.size()) + counter + ext;
}

std::optional<MovedFile> MoveFileToFolder(const std::string& path, const std::string& folder, std::string* error) {
  if (error) error->clear();
  const TUniqueFd target = OpenFolder(folder);
  if (!target || faccessat(target.get(), ".", W_OK | X_OK, AT_EACCESS) != 0) {
    Refuse(error, WhyNot(errno));
    return std::nullopt;
  }
  const TUniqueFd source = OpenFolder(FolderOf(path));
  const std::string name = ExtractFileName(path);
  const std::optional<FileId> from = source ? IdAt(source.get(), "") : std::nullopt;
  if (!from || name.empty() || !IdAt(source.get(), name)) {
    Refuse(error, "ファイルが見つかりません");
    return std::nullopt;
  }
  if (IdAt(target.get(), "") == from) return std::nullopt;  // already there
  for (int n = 1; n <= kMaxTries; ++n) {
    const std::string placed = NumberedMoveName(name, n);
    if (MoveFileNoReplaceAcrossMountsAt(source.get(), name, target.get(), placed)) {
      const std::string moved = IncludeTrailingPathDelimiter(folder) + placed;
      return MovedFile{path, moved, IdAt(target.get(), placed).value_or(FileId{}), *from};
    }
    if (!NameTaken(errno)) break;
  }
  Refuse(error, WhyNot(errno));
  return std::nullopt;
}

bool MoveFileBack(const MovedFile& moved, std::string* error) {
  const TUniqueFd from = OpenFolder(FolderOf(moved.moved));
  const std::string name = ExtractFileName(moved.moved);
  if (!from || IdAt(from.get(), name) != moved.self) return Refuse(error, "移動したファイルが見つかりません");
  const TUniqueFd to = OpenFolder(FolderOf(moved.original));
  if (!to || IdAt(to.get(), "") != moved.folder) return Refuse(error, "元のフォルダがないか、別のフォルダに置き換えられています");
  const std::string back = ExtractFileName(moved.original);
  // Asked beforehand only for the plain reason; the move refuses a name taken meanwhile.
  struct stat st;
  if (fstatat(to.get(), back.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return Refuse(error, kNameTakenBack);
  if (!MoveFileNoReplaceAcrossMountsAt(from.get(), name, to.get(), back))
    return Refuse(error, NameTaken(errno) ? kNameTakenBack : WhyNot(errno));
  return true;
}

}  // namespace korvane
