#pragma once
// The play list's moves: selecting an entry opens and plays it, NextMedia and
// PrevMedia step through the list and clear the player's URL at either end.
#include <set>
#include <string>

#include "app/logic/MainView.h"
#include "player/NeighbourHint.h"
#include "player/Player.h"

namespace korvane {

// The status text with which the player counts as idle (ready to be started).
bool IsReadyStatus(const std::u16string& status);
// The status text with which the player counts as finished with its media.
bool IsStoppedStatus(const std::u16string& status);
// Status panel 1's text for a file of `size` bytes, e.g. "3.50[MB]"; "" when
// the size is unknown (-1).
std::string MegabyteText(int64_t size);

class TMediaList {
 public:
  // hint, when given, hears of the entries around the selection after each move.
  TMediaList(IWMPCore& player, IMainView& view, INeighbourHint* hint = nullptr)
      : FPlayer(player), FView(view), FHint(hint) {}

  // Plays the selected entry. An entry whose file is gone is skipped downwards
  // until an existing file or the end of the list; a failure to open or start
  // the file is ignored and the selection stays.
  void ComboListSelect();
  void NextMedia();
  void PrevMedia();
  // Tells the hint the entries above and below the selection; called after the
  // moves here and by whoever else changes the list (it grows, a file is renamed).
  void HintNeighbours();
  // Paths the list never takes from the search: where this run moved files to
  // with the move-to keys, which a search still walking a folder above the
  // target would find again as new files.
  void KeepOut(const std::string& path) { FKeptOut.insert(path); }
  bool KeptOut(const std::string& path) const { return FKeptOut.count(path) != 0; }

 private:
  void SelectExisting();
  // Opens the file, shows its size and starts it, unless the player kept no URL.
  void Open(const std::string& path);

  IWMPCore& FPlayer;
  IMainView& FView;
  INeighbourHint* FHint;
  std::set<std::string> FKeptOut;
};

}  // namespace korvane
