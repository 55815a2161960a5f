#pragma once
// The per-session instance lock: an exclusive lock on a file in this user's
// runtime folder, held until the process ends (the kernel drops it also after
// a crash), and the folder that the instance's other files share.
#include <string>

namespace korvane {

// $XDG_RUNTIME_DIR when it names a real folder (not a link) of ours that
// nobody else may enter; otherwise /tmp/korvane-<uid>, created 0700 and used
// only when it is such a folder (and saying on stderr why $XDG_RUNTIME_DIR
// was passed over). "" when neither can be used.
std::string RuntimeFolder();

// <RuntimeFolder()>/korvane-<name><extension>; "" without a runtime folder.
std::string InstanceFilePath(const std::string& name, const std::string& extension);

enum class InstanceLockResult { Acquired, HeldByOther, Failed };

// Takes the lock korvane-<name>.lock without waiting. A lock file in
// $XDG_RUNTIME_DIR that is not a regular file of ours (one left by the program
// run as another user) is passed over, with a word on stderr, for the one in
// /tmp/korvane-<uid>. Once acquired it is never given back (later calls
// answer Acquired again); the descriptor is closed on exec, so programs
// started from here do not keep it alive.
InstanceLockResult AcquireInstanceLock(const std::string& name);

// Whether this process holds the lock of that name.
bool HoldsInstanceLock(const std::string& name);

}  // namespace korvane
