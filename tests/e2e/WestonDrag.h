#pragma once
// A drop on the program on Weston (see harness/Weston.h) from another Wayland
// program, as a file manager makes one.
#include <string>

namespace korvane::test {

// Drags the URI list from a window of another Wayland program onto (x, y) of
// the shown area and drops it there; true when the drop was taken.
bool DropPathsOnWeston(int x, int y, const std::string& uriList);

}  // namespace korvane::test
