#pragma once
// Sending a file to the desktop's trash (the freedesktop.org Trash layout), so
// that a file manager or `gio trash --restore` can bring it back.
#include <optional>
#include <string>

#include "platform/FolderHandle.h"

namespace korvane {

struct TrashedFile {
  std::string file;  // where the file now lies, under <trash>/files/
  std::string info;  // its record, <trash>/info/<name>.trashinfo
  std::string original;  // where it came from, its folder's links resolved
  std::string topDir;  // what the record's path is relative to; "" when absolute (the home trash)
  FileId folder;  // the folder it came from
  FileId self;  // the file itself, as it lies in the trash
  int64_t selfChangedNs = 0;  // its status change time, set by the move into the trash
};

// Moves path (a file, or the link itself for a symbolic link) into the trash
// of its file system: the home trash for the home file system, else the
// top-level trash of its mount. Never copies: when no trash on the file's own
// file system can take it, the file stays where it is and error says why.
std::optional<TrashedFile> TrashFile(const std::string& path, std::string* error = nullptr);

// Takes a file that TrashFile put in the trash back to its original path, then
// removes its record. Never replaces anything, never goes through a link:
// when a file stands at the original path, the folder is gone, takes no files,
// is reached through a link or is another folder than the one the file came
// from (made again, or put in its place), or the trashed file is no longer in
// the trash (emptied, restored or replaced by another program), nothing moves
// and error says why. A folder now on another file system gets a
// copy, written whole before it takes the name, and the trashed file goes.
bool RestoreFromTrash(const TrashedFile& trashed, std::string* error = nullptr);

class IFileQuestions;

// Asks the user, then trashes path; a failure is told to the user too. Where
// the file went, when it went to the trash.
std::optional<TrashedFile> MoveToRecycleBin(const std::string& path, IFileQuestions& ask);
// Restores a trashed file; a failure is told to the user.
bool RestoreFromRecycleBin(const TrashedFile& trashed, IFileQuestions& ask);

}  // namespace korvane
