#pragma once
// Undo of the trash command, for the files this run sent to the trash: the
// newest goes back to where it was, and its list entry is selected and played.
#include <functional>
#include <string>
#include <vector>

#include "app/logic/MainView.h"
#include "app/logic/MediaList.h"
#include "dialogs/trash/Trash.h"

namespace korvane {

class TUndoTrash {
 public:
  // restore brings a trashed file back, telling the user itself when it cannot.
  using Restore = std::function<bool(const TrashedFile&)>;
  TUndoTrash(IMainView& view, TMediaList& list, Restore restore)
      : FView(view), FList(list), FRestore(std::move(restore)) {}

  // The trash command sent the file of list entry `index` to the trash.
  void Remember(TrashedFile trashed, int index);
  // Takes the newest remembered file back. One that cannot go back stays in the
  // trash and is forgotten all the same, so the next undo goes further back
  // instead of meeting the same refusal. Nothing remembered: nothing happens.
  void Undo();

 private:
  struct Entry {
    TrashedFile trashed;
    int index;
    std::string item;  // the entry's text, as the list showed it
  };
  // Where the entry is now: where it was, else wherever the list holds its
  // text, else appended at the end.
  int PlaceOf(const Entry& entry);

  IMainView& FView;
  TMediaList& FList;
  Restore FRestore;
  std::vector<Entry> FDone;  // newest last
};

}  // namespace korvane
