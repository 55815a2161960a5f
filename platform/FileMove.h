#pragma once
// Moving or renaming a file without ever replacing what is at the target.
#include <string>

namespace korvane {

// Moves from to to within one file system. Fails, leaving both paths as they
// were, when anything (file, folder, link) already exists at to, or when to
// lies on another file system: nothing is ever copied. On failure errno holds
// the cause and error, when given, receives its text.
bool MoveFileNoReplace(const std::string& from, const std::string& to, std::string* error = nullptr);
// As MoveFileNoReplace, the names taken relative to the open folders fromDir
// and toDir (or AT_FDCWD), so that no name on the way is looked up again.
bool MoveFileNoReplaceAt(int fromDir, const std::string& from, int toDir, const std::string& to,
                         std::string* error = nullptr);

// As MoveFileNoReplaceAt, and when to lies on another file system, a regular
// file or a link is copied there instead (data, mode, times, extended
// attributes and ACLs where the file system has them, owner and group where
// this user may give them; flushed to disk under a temporary name beside to
// before it takes the name to, which is still never replaced), toDir (an open
// folder) is flushed, then from is removed. A copy that cannot be finished is
// removed again and from stays as it was; so does a from that is no longer
// the regular file or link first looked at.
bool MoveFileNoReplaceAcrossMountsAt(int fromDir, const std::string& from, int toDir, const std::string& to,
                                     std::string* error = nullptr);

}  // namespace korvane
