#include "app/logic/UndoTrash.h"

namespace korvane {

void TUndoTrash::Remember(TrashedFile trashed, int index) {
  if (index < 0 || index >= view_.ItemCount()) return;
  done_.push_back({std::move(trashed), index, view_.Item(index)});
}

void TUndoTrash::Undo() {
  if (done_.empty()) return;
  const Entry entry = std::move(done_.back());
  done_.pop_back();
  if (!restore_(entry.trashed)) return;
  view_.SetItemIndex(PlaceOf(entry));
  list_.ComboListSelect();
}

int TUndoTrash::PlaceOf(const Entry& entry) {
  if (entry.index < view_.ItemCount() && view_.Item(entry.index) == entry.item) return entry.index;
  for (int i = 0; i < view_.ItemCount(); ++i)
    if (view_.Item(i) == entry.item) return i;
  view_.AppendItem(entry.item);
  return view_.ItemCount() - 1;
}

}  // namespace korvane
