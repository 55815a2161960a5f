#pragma once
// The file commands of the main window: rename and trash the current media.
#include <optional>
#include <string>

#include "player/Player.h"

class QWidget;

namespace korvane {

class IMainView;
class TMediaList;
class TUndoTrash;

// Asks for a new name of the playing file in a box over owner and renames it;
// the new path, or nothing when declined or failed.
std::optional<std::string> AskAndRenameCurrentMedia(IWMPCore& player, QWidget* owner);

// Asks whether to move the selected entry's file to the trash and moves it,
// remembering it for undo.
// Declined or failed alike, playback goes on with the next entry, unless the
// ticks inside the box have moved the list on already.
void TrashSelectedAndMoveOn(IMainView& view, TMediaList& list, TUndoTrash& undo, QWidget* owner);

}  // namespace korvane
