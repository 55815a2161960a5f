#pragma once
// The rename and trash commands of the main window and the undo of the trash,
// each one flow: ask, move the file, fix the list, play on.
#include "app/logic/UndoTrash.h"
#include "player/Player.h"

namespace korvane {

class IFileQuestions;
class IMainView;
class TMediaList;

class TFileCommands {
 public:
  TFileCommands(IWMPCore& player, IMainView& view, TMediaList& list, IFileQuestions& ask);

  // Asks for a new name of the playing file and renames it; the new path is
  // appended to the list (the old entry stays: the list skips it once its file
  // is gone), and the neighbours are opened ahead again.
  void Rename();
  // Asks whether to move the selected entry's file to the trash and moves it,
  // remembering it for undo. Declined or failed alike, playback goes on with
  // the next entry, unless the ticks inside the box have moved the list on already.
  void Trash();
  // Takes the newest file this run trashed back (TUndoTrash).
  void UndoTrash() { FUndoTrash.Undo(); }

 private:
  IWMPCore& FPlayer;
  IMainView& FView;
  TMediaList& FList;
  IFileQuestions& FAsk;
  TUndoTrash FUndoTrash;
};

}  // namespace korvane
