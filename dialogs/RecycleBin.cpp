// The user-facing side of trashing a file: the question before, the reason
// after a failure. The trashing itself is TrashFile's.
#include <QMessageBox>
#include <QString>

#include "base/Paths.h"
#include "base/Utf.h"
#include "dialogs/Trash.h"

namespace korvane {

namespace {

QString Shown(const std::string& text) { return QString::fromStdString(ToDisplayText(ToWide(text))); }

bool UserConfirms(const std::string& path, QWidget* owner) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("ファイルの削除"),
                  QStringLiteral("ゴミ箱に移動しますか?\n") + Shown(ExtractFileName(path)),
                  QMessageBox::Yes | QMessageBox::No, owner);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void ShowFailure(const std::string& path, const std::string& reason, QWidget* owner) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("ファイルの削除エラー"),
                  Shown(ExtractFileName(path)) + QStringLiteral(" をゴミ箱に移動できませんでした。\n") + Shown(reason),
                  QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace

bool MoveToRecycleBin(const std::string& path, QWidget* owner) {
  if (!UserConfirms(path, owner)) return false;
  std::string reason;
  if (TrashFile(path, &reason)) return true;
  ShowFailure(path, reason, owner);
  return false;
}

}  // namespace korvane
