#include "app/logic/UndoHistory.h"

namespace korvane {

void TUndoHistory::Remember(TakeBack takeBack, int index) {
  if (index < 0 || index >= FView.ItemCount()) return;
  FDone.push_back({std::move(takeBack), index, FView.Item(index)});
}

void TUndoHistory::Undo() {
  if (FDone.empty()) return;
  const Entry entry = std::move(FDone.back());
  FDone.pop_back();
  if (!entry.takeBack()) return;
  FView.SetItemIndex(PlaceOf(entry));
  FList.ComboListSelect();
}

int TUndoHistory::PlaceOf(const Entry& entry) {
  if (entry.index < FView.ItemCount() && FView.Item(entry.index) == entry.item) return entry.index;
  for (int i = 0; i < FView.ItemCount(); ++i)
    if (FView.Item(i) == entry.item) return i;
  FView.AppendItem(entry.item);
  return FView.ItemCount() - 1;
}

}  // namespace korvane
