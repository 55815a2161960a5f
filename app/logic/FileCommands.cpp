#include "app/logic/FileCommands.h"

#include "app/logic/MainView.h"
#include "app/logic/MediaList.h"
#include "dialogs/trash/FileQuestions.h"
#include "dialogs/trash/MoveTo.h"
#include "dialogs/trash/Rename.h"
#include "dialogs/trash/Trash.h"

namespace korvane {

TFileCommands::TFileCommands(IWMPCore& player, IMainView& view, TMediaList& list, IFileQuestions& ask)
    : FPlayer(player), FView(view), FList(list), FAsk(ask), FUndo(view, list) {}

void TFileCommands::Rename() {
  const auto renamed = RenameCurrentMedia(
      FPlayer, [this](const RenamePlan& plan, std::string& typed) { return FAsk.AskNewName(plan, typed); },
      [this](const std::string& why) { FAsk.TellRenameRefused(why); });
  if (renamed) FView.AppendItem(*renamed);
  FList.HintNeighbours();
}

void TFileCommands::Trash() {
  const int asked = FView.ItemIndex();
  if (asked < 0) return;
  if (std::optional<TrashedFile> trashed = MoveToRecycleBin(FView.Item(asked), FAsk)) {
    FUndo.Remember([this, trashed = *trashed] { return RestoreFromRecycleBin(trashed, FAsk); }, asked);
  }
  if (FView.ItemIndex() == asked) FList.NextMedia();
}

void TFileCommands::MoveTo(const std::string& folder) {
  const int playing = FView.ItemIndex();
  if (folder.empty() || playing < 0 || FPlayer.URL().empty()) return;
  std::string why;
  const std::optional<MovedFile> moved = MoveFileToFolder(FView.Item(playing), folder, &why);
  if (!moved) {
    if (!why.empty()) FAsk.TellMoveRefused(folder, why);
    return;
  }
  FList.KeepOut(moved->moved);
  FUndo.Remember([this, moved = *moved] {
    std::string reason;
    if (MoveFileBack(moved, &reason)) return true;
    FAsk.TellMoveBackFailed(moved.original, reason);
    return false;
  }, playing);
  FList.NextMedia();
}

}  // namespace korvane
