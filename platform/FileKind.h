#pragma once
// What a path names, asked of the file system.
#include <sys/types.h>

#include <string>

namespace korvane {

// Something that exists and is not a folder; a link counts as what it names.
bool IsExistingNonFolder(const std::string& path);
// A folder; a link counts as what it names.
bool IsFolder(const std::string& path);
// A folder itself (not a link to one) that belongs to this user; its mode in
// *mode when given.
bool IsOwnRealFolder(const std::string& path, mode_t* mode = nullptr);

}  // namespace korvane
