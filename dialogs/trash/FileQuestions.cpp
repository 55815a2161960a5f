#include "dialogs/trash/FileQuestions.h"

#include "base/Paths.h"
#include "dialogs/InputQuery.h"
#include "dialogs/MessageBox.h"
#include "dialogs/QtText.h"

namespace korvane {

bool TFileQuestions::AskNewName(const RenamePlan& plan, std::string& typed) {
  return InputQuery(FOwner, "ファイル名変更", plan.Prompt(), typed);
}

void TFileQuestions::TellRenameRefused(const std::string& why) {
  ShowErrorBox(FOwner, QStringLiteral("ファイル名変更"), QtText(why));
}

bool TFileQuestions::ConfirmTrash(const std::string& path) {
  return ShowMessageBox(FOwner, QMessageBox::Question, QStringLiteral("ファイルの削除"),
                        QStringLiteral("ゴミ箱に移動しますか?\n") + ShownText(ExtractFileName(path)),
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void TFileQuestions::TellTrashFailed(const std::string& path, const std::string& reason) {
  ShowMessageBox(FOwner, QMessageBox::Warning, QStringLiteral("ファイルの削除エラー"),
                 ShownText(ExtractFileName(path)) + QStringLiteral(" をゴミ箱に移動できませんでした。\n") + ShownText(reason));
}

void TFileQuestions::TellRestoreFailed(const std::string& original, const std::string& reason) {
  ShowMessageBox(FOwner, QMessageBox::Warning, QStringLiteral("ゴミ箱から戻す"),
                 ShownText(ExtractFileName(original)) + QStringLiteral(" を戻せませんでした。\n") + ShownText(reason));
}

void TFileQuestions::TellMoveRefused(const std::string& folder, const std::string& reason) {
  ShowMessageBox(FOwner, QMessageBox::Warning, QStringLiteral("送り先へ移動"),
                 ShownText(folder) + QStringLiteral(" に移動できません。\n") + ShownText(reason));
}

void TFileQuestions::TellMoveBackFailed(const std::string& original, const std::string& reason) {
  ShowMessageBox(FOwner, QMessageBox::Warning, QStringLiteral("移動を元に戻す"),
                 ShownText(ExtractFileName(original)) + QStringLiteral(" を戻せませんでした。\n") + ShownText(reason));
}

}  // namespace korvane
