#pragma once
// Sending a file to the desktop's trash (the freedesktop.org Trash layout), so
// that a file manager or `gio trash --restore` can bring it back.
#include <optional>
#include <string>

class QWidget;

namespace korvane {

struct TrashedFile {
  std::string file;  // where the file now lies, under <trash>/files/
  std::string info;  // its record, <trash>/info/<name>.trashinfo
};

// Moves path (a file, or the link itself for a symbolic link) into the trash
// of its file system: the home trash for the home file system, else the
// top-level trash of its mount. Never copies: when no trash on the file's own
// file system can take it, the file stays where it is and error says why.
std::optional<TrashedFile> TrashFile(const std::string& path, std::string* error = nullptr);

// Asks the user (a message box owned by owner), then trashes path; a failure
// is shown in a message box too. True when the file went to the trash.
bool MoveToRecycleBin(const std::string& path, QWidget* owner);

}  // namespace korvane
