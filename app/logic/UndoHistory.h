#pragma once
// Undo of the file commands this run did, the trash and the move-to keys in one
// history: the newest file goes back to where it was, and its list entry is
// selected and played.
#include <functional>
#include <string>
#include <vector>

#include "app/logic/MainView.h"
#include "app/logic/MediaList.h"

namespace korvane {

class TUndoHistory {
 public:
  // Brings one file back, telling the user itself when it cannot.
  using TakeBack = std::function<bool()>;
  TUndoHistory(IMainView& view, TMediaList& list) : FView(view), FList(list) {}

  // A command took the file of list entry `index` away; takeBack undoes it.
  void Remember(TakeBack takeBack, int index);
  // Takes the newest remembered file back. One that cannot go back stays where
  // it is and is forgotten all the same, so the next undo goes further back
  // instead of meeting the same refusal. Nothing remembered: nothing happens.
  void Undo();

 private:
  struct Entry {
    TakeBack takeBack;
    int index;
    std::string item;  // the entry's text, as the list showed it
  };
  // Where the entry is now: where it was, else wherever the list holds its
  // text, else appended at the end.
  int PlaceOf(const Entry& entry);

  IMainView& FView;
  TMediaList& FList;
  std::vector<Entry> FDone;  // newest last
};

}  // namespace korvane
