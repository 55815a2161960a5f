#include "app/logic/UndoTrash.h"

namespace korvane {

void TUndoTrash::Remember(TrashedFile trashed, int index) {
  if (index < 0 || index >= FView.ItemCount()) return;
  FDone.push_back({std::move(trashed), index, FView.Item(index)});
}

void TUndoTrash::Undo() {
  if (FDone.empty()) return;
  const Entry entry = std::move(FDone.back());
  FDone.pop_back();
  if (!FRestore(entry.trashed)) return;
  FView.SetItemIndex(PlaceOf(entry));
  FList.ComboListSelect();
}

int TUndoTrash::PlaceOf(const Entry& entry) {
  if (entry.index < FView.ItemCount() && FView.Item(entry.index) == entry.item) return entry.index;
  for (int i = 0; i < FView.ItemCount(); ++i)
    if (FView.Item(i) == entry.item) return i;
  FView.AppendItem(entry.item);
  return FView.ItemCount() - 1;
}

}  // namespace korvane
