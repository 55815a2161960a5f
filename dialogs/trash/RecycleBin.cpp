// The user-facing side of trashing a file: the question before, the reason
// after a failure. The trashing itself is TrashFile's.
#include "dialogs/trash/FileQuestions.h"
#include "dialogs/trash/Trash.h"

namespace korvane {

std::optional<TrashedFile> MoveToRecycleBin(const std::string& path, IFileQuestions& ask) {
  if (!ask.ConfirmTrash(path)) return std::nullopt;
  std::string reason;
  std::optional<TrashedFile> trashed = TrashFile(path, &reason);
  if (!trashed) ask.TellTrashFailed(path, reason);
  return trashed;
}

bool RestoreFromRecycleBin(const TrashedFile& trashed, IFileQuestions& ask) {
  std::string reason;
  if (RestoreFromTrash(trashed, &reason)) return true;
  ask.TellRestoreFailed(trashed.original, reason);
  return false;
}

}  // namespace korvane
