#pragma once
// What the rename command proposes and where the typed name leads: the file's
// folder and extension stay, only the name between them is the user's.
#include <string>

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
// the two differ (compared exactly).
RenamePlan PlanRename(const std::string& path, const std::string& title);

}  // namespace korvane
