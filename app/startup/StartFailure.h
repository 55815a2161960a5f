#pragma once
// What the user learns when the program cannot start (the player cannot be
// made, say): the reason on standard error and, when there is a screen to show
// it on, in a message box; the program then ends with kStartFailureExit.
#include <functional>

namespace korvane {

inline constexpr int kStartFailureExit = 1;

// Runs start (which makes the window and runs the event loop) and returns its
// result, or kStartFailureExit once an exception leaving it has been reported.
int RunReportingStartFailure(const std::function<int()>& start);

}  // namespace korvane
