#pragma once
// What the rename, trash and move commands ask the user and tell them. The commands'
// flow only sees IFileQuestions; TFileQuestions asks in boxes over a window.
#include <string>

#include "dialogs/trash/Rename.h"

class QWidget;

namespace korvane {

class IFileQuestions {
 public:
  virtual ~IFileQuestions() = default;
  // The new name for plan, starting from its proposal in typed; false: cancelled.
  virtual bool AskNewName(const RenamePlan& plan, std::string& typed) = 0;
  virtual void TellRenameRefused(const std::string& why) = 0;
  // Whether path may go to the trash.
  virtual bool ConfirmTrash(const std::string& path) = 0;
  virtual void TellTrashFailed(const std::string& path, const std::string& reason) = 0;
  // original: where the trashed file was to go back to.
  virtual void TellRestoreFailed(const std::string& original, const std::string& reason) = 0;
  // The move-to keys: a target that takes no file, and a move that cannot go back.
  virtual void TellMoveRefused(const std::string& folder, const std::string& reason) = 0;
  virtual void TellMoveBackFailed(const std::string& original, const std::string& reason) = 0;
};

// The questions as message boxes and an input box owned by owner.
class TFileQuestions : public IFileQuestions {
 public:
  explicit TFileQuestions(QWidget* owner) : FOwner(owner) {}

  bool AskNewName(const RenamePlan& plan, std::string& typed) override;
  void TellRenameRefused(const std::string& why) override;
  bool ConfirmTrash(const std::string& path) override;
  void TellTrashFailed(const std::string& path, const std::string& reason) override;
  void TellRestoreFailed(const std::string& original, const std::string& reason) override;
  void TellMoveRefused(const std::string& folder, const std::string& reason) override;
  void TellMoveBackFailed(const std::string& original, const std::string& reason) override;

 private:
  QWidget* FOwner;
};

}  // namespace korvane
