// Bringing a trashed file back: the reverse of TrashFile, checked first against
// what other programs may have done to the trash since.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "base/Paths.h"
#include "dialogs/Trash.h"
#include "platform/FileKind.h"
#include "platform/FileMove.h"

namespace korvane {

namespace {

bool Refuse(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

// The Path key of a record, decoded; "" when the record cannot be read.
std::string RecordedPath(const std::string& info) {
  std::ifstream in(info, std::ios::binary);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("Path=", 0) == 0) return PercentDecodePath(std::string_view(line).substr(5));
  return "";
}

// Whether the record still names the original, exactly: absolute in the home
// trash, relative to the mount's top in a top-level one.
bool RecordNames(const std::string& info, const TrashedFile& trashed) {
  const std::string recorded = RecordedPath(info);
  if (recorded.empty()) return false;
  if (trashed.topDir.empty()) return recorded == trashed.original;
  return recorded[0] != '/' && IncludeTrailingPathDelimiter(trashed.topDir) + recorded == trashed.original;
}

std::string WhyNotMoved(int err) {
  switch (err) {
    case EEXIST:
    case ENOTEMPTY: return "元の場所に同じ名前のファイルがあります";
    case ENOENT:
    case ENOTDIR: return "元のフォルダがありません";
    case EACCES:
    case EPERM:
    case EROFS: return "元のフォルダに書き込めません";
    default: return std::string("戻せません: ") + std::strerror(err);
  }
}

}  // namespace

bool RestoreFromTrash(const TrashedFile& trashed, std::string* error) {
  if (!IsNameTaken(trashed.file) || !RecordNames(trashed.info, trashed))
    return Refuse(error, "ゴミ箱にありません (空にされたか、ほかのプログラムが戻しました)");
  // Asked beforehand only to give the plain reason; the move itself refuses
  // a name taken in the meantime.
  if (IsNameTaken(trashed.original)) return Refuse(error, WhyNotMoved(EEXIST));
  if (!MoveFileNoReplaceAcrossMounts(trashed.file, trashed.original)) return Refuse(error, WhyNotMoved(errno));
  // The record goes only once the file is back; one left over names nothing.
  unlink(trashed.info.c_str());
  return true;
}

}  // namespace korvane
