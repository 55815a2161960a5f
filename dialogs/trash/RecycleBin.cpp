// The user-facing side of trashing a file: the question before, the reason
// after a failure. The trashing itself is TrashFile's.
#include <QString>

#include "base/Paths.h"
#include "dialogs/MessageBox.h"
#include "dialogs/QtText.h"
#include "dialogs/trash/Trash.h"

namespace korvane {

namespace {

bool UserConfirms(const std::string& path, QWidget* owner) {
  return ShowMessageBox(owner, QMessageBox::Question, QStringLiteral("ファイルの削除"),
                        QStringLiteral("ゴミ箱に移動しますか?\n") + ShownText(ExtractFileName(path)),
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void ShowFailure(const std::string& path, const std::string& reason, QWidget* owner) {
  ShowMessageBox(owner, QMessageBox::Warning, QStringLiteral("ファイルの削除エラー"),
                 ShownText(ExtractFileName(path)) + QStringLiteral(" をゴミ箱に移動できませんでした。\n") + ShownText(reason));
}

}  // namespace

std::optional<TrashedFile> MoveToRecycleBin(const std::string& path, QWidget* owner) {
  if (!UserConfirms(path, owner)) return std::nullopt;
  std::string reason;
  std::optional<TrashedFile> trashed = TrashFile(path, &reason);
  if (!trashed) ShowFailure(path, reason, owner);
  return trashed;
}

bool RestoreFromRecycleBin(const TrashedFile& trashed, QWidget* owner) {
  std::string reason;
  if (RestoreFromTrash(trashed, &reason)) return true;
  ShowMessageBox(owner, QMessageBox::Warning, QStringLiteral("ゴミ箱から戻す"),
                 ShownText(ExtractFileName(trashed.original)) + QStringLiteral(" を戻せませんでした。\n") + ShownText(reason));
  return false;
}

}  // namespace korvane
