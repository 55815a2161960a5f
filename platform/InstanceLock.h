#pragma once
// The per-session instance lock: an exclusive lock on a file in this user's
// runtime folder, held until the process ends (the kernel drops it also after
// a crash), and the folder that the instance's other files share.
#include <string>

namespace korvane {

// The folder that holds both the lock and the hand-off socket of name, so that
// every launch meets the running instance in the same place:
// $XDG_RUNTIME_DIR when it names a real folder (not a link) of ours that
// nobody else may enter, the socket's path fits its address and a lock file
// there is a regular file of ours; otherwise /tmp/korvane-<uid>, created 0700
// and used only when it is such a folder. stderr says why a folder was passed
// over; "" when neither can be used.
std::string InstanceFolder(const std::string& name);

// <InstanceFolder(name)>/korvane-<name><extension>; "" without a folder.
std::string InstanceFilePath(const std::string& name, const std::string& extension);
// Where the running instance of that name listens.
std::string InstanceSocketPath(const std::string& name);

enum class InstanceLockResult { Acquired, HeldByOther, Failed };

// Takes the lock korvane-<name>.lock in InstanceFolder(name) without waiting;
// Failed, with a word on stderr, when there is no such folder or its lock file
// is not ours. Once acquired it is never given back (later calls
// answer Acquired again); the descriptor is closed on exec, so programs
// started from here do not keep it alive.
InstanceLockResult AcquireInstanceLock(const std::string& name);

// Whether this process holds the lock of that name.
bool HoldsInstanceLock(const std::string& name);
// The descriptor of the lock of that name this process holds; -1 when it holds none.
int InstanceLockDescriptor(const std::string& name);

// Takes the lock of that name over on fd, left open across exec by the
// program this one replaced: true when fd is open on the lock file
// AcquireInstanceLock would take and holds (or can take) its lock; it is then
// closed on exec again, and nothing more is said on stderr about the folder
// (the program before the exec has said it). Any other descriptor is left alone.
bool AdoptInstanceLock(const std::string& name, int fd);

}  // namespace korvane
