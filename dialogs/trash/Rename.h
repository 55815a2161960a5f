#pragma once
// What the rename command proposes and where the typed name leads: the file's
// folder and extension stay, only the name between them is the user's.
#include <functional>
#include <optional>
#include <string>

#include "player/Player.h"

namespace korvane {

struct RenamePlan {
  std::string path;      // the file as it is now
  std::string dir;       // up to and including the last '/'
  std::string base;      // the name without folder and extension
  std::string ext;       // the extension with its dot, "" when none
  std::string proposal;  // what the edit field starts with

  // The dialog's three lines: folder, current name, extension.
  std::string Prompt() const;
  // The typed text as it stands, between the old folder and extension.
  std::string NewPath(const std::string& typed) const;
};

// The proposal is the base name, followed directly by the media's title when
// the two differ (compared exactly). The title comes from the file's content:
// its '/' and NUL characters are dropped first.
RenamePlan PlanRename(const std::string& path, const std::string& title);

// Asks for the new name with the plan's proposal in typed; false: cancelled.
using AskNewName = std::function<bool(const RenamePlan& plan, std::string& typed)>;
// Tells the user why the typed name is refused.
using TellRefusal = std::function<void(const std::string& why)>;

// The rename command on the player's current file: nothing without a media;
// else the plan from its URL and name, the question, and the move that never
// replaces an existing file. The new path when the file moved; a player query
// that fails throws its TPlayerError before anything is asked or moved.
std::optional<std::string> RenameCurrentMedia(IWMPCore& player, const AskNewName& ask, const TellRefusal& refuse);

}  // namespace korvane
