#include "app/logic/FileCommands.h"

#include "app/logic/MainView.h"
#include "app/logic/MediaList.h"
#include "dialogs/trash/FileQuestions.h"
#include "dialogs/trash/Rename.h"
#include "dialogs/trash/Trash.h"

namespace korvane {

TFileCommands::TFileCommands(IWMPCore& player, IMainView& view, TMediaList& list, IFileQuestions& ask)
    : FPlayer(player),
      FView(view),
      FList(list),
      FAsk(ask),
      FUndoTrash(view, list, [&ask](const TrashedFile& trashed) { return RestoreFromRecycleBin(trashed, ask); }) {}

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
  if (std::optional<TrashedFile> trashed = MoveToRecycleBin(FView.Item(asked), FAsk)) FUndoTrash.Remember(*trashed, asked);
  if (FView.ItemIndex() == asked) FList.NextMedia();
}

}  // namespace korvane
