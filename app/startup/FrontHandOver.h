#pragma once
// The front is the small Korvane a user starts: it answers the options and
// hands a later launch's paths over without loading the toolkit or the player,
// and otherwise replaces itself (exec) with the full program beside it. What it
// hands that program: the instance lock it took, left open across the exec, so
// that no other launch can take it in between, and its own path, which names
// the settings file and the captions.
#include <string>

namespace korvane {

inline constexpr char kFrontName[] = "Korvane";
inline constexpr char kFullProgramName[] = "Korvane.bin";
// What carries them; the full program removes both, so nothing it starts inherits them.
inline constexpr char kHandedLockVariable[] = "KORVANE_LOCK_FD";
inline constexpr char kFrontPathVariable[] = "KORVANE_FRONT";

// The front's side: replaces this process with the full program beside it,
// given argv as the front got it, and the lock of lockName if this process
// holds it. Returns only when the exec failed, with the word for stderr.
std::string ExecFullProgram(const std::string& lockName, char** argv);

// The full program's side, first thing in main: the front's path becomes the
// program's own (started directly, the front's place beside it is), and a
// lock the front handed is held on from here.
void TakeOverFromFront(const std::string& lockName);

}  // namespace korvane
