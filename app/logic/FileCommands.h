#pragma once
// The rename, trash and move-to commands of the main window and their undo,
// each one flow: ask, move the file, fix the list, play on.
#include <string>

#include "app/logic/UndoHistory.h"
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
  // Moves the playing entry's file into folder without asking, remembering it
  // for undo, and plays the next entry. Nothing with no media or no folder (an
  // unset target) or when folder is the file's own; a folder that takes no
  // file is refused in a box, and the file plays on.
  void MoveTo(const std::string& folder);
  // Takes back the newest of this run's trashes and moves.
  void Undo() { FUndo.Undo(); }

 private:
  IWMPCore& FPlayer;
  IMainView& FView;
  TMediaList& FList;
  IFileQuestions& FAsk;
  TUndoHistory FUndo;
};

}  // namespace korvane
