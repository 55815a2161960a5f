#include "app/window/FileCommands.h"

#include "app/logic/MainView.h"
#include "app/logic/MediaList.h"
#include "app/logic/UndoTrash.h"
#include "dialogs/InputQuery.h"
#include "dialogs/MessageBox.h"
#include "dialogs/QtText.h"
#include "dialogs/trash/Rename.h"
#include "dialogs/trash/Trash.h"

namespace korvane {

std::optional<std::string> AskAndRenameCurrentMedia(IWMPCore& player, QWidget* owner) {
  return RenameCurrentMedia(
      player,
      [owner](const RenamePlan& plan, std::string& typed) {
        return InputQuery(owner, "ファイル名変更", plan.Prompt(), typed);
      },
      [owner](const std::string& why) { ShowErrorBox(owner, QStringLiteral("ファイル名変更"), QtText(why)); });
}

void TrashSelectedAndMoveOn(IMainView& view, TMediaList& list, TUndoTrash& undo, QWidget* owner) {
  const int asked = view.ItemIndex();
  if (asked < 0) return;
  if (std::optional<TrashedFile> trashed = MoveToRecycleBin(view.Item(asked), owner)) undo.Remember(*trashed, asked);
  if (view.ItemIndex() == asked) list.NextMedia();
}

}  // namespace korvane
