#pragma once
// Sending a file to one of the user's folders (the move-to keys) and taking it
// back. Like the trash, a move never replaces a file and its undo checks first
// that the file and the folder it came from are still the ones it left.
#include <optional>
#include <string>

#include "platform/FolderHandle.h"

namespace korvane {

struct MovedFile {
  std::string original;  // where the file was
  std::string moved;     // where it is now
  FileId self;           // the file as it was placed
  FileId folder;         // the folder it came from
};

// The name for the n-th try: the name itself for 1, then "name (2).ext",
// "name (3).ext" ..., its stem cut between characters so that the whole still
// fits a file name.
std::string NumberedMoveName(const std::string& name, int n);

// Moves the file at path into folder under the first of those names that is
// free; across file systems a copy written whole under a temporary name takes
// the name before the original goes. Nothing when it did not move: error says
// why (folder missing, no folder, not writable, full), and stays empty when
// folder is the file's own (nothing to do).
std::optional<MovedFile> MoveFileToFolder(const std::string& path, const std::string& folder, std::string* error);

// Takes a moved file back to its original path, never replacing a file there,
// and only while it is still the file moved and its old folder the same folder.
bool MoveFileBack(const MovedFile& moved, std::string* error);

}  // namespace korvane
