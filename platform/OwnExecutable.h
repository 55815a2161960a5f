#pragma once
// The running program's own file.
#include <string>

namespace korvane {

// The running program's image, readable whatever became of its file since the
// start (a package upgrade or a rebuild replaces it).
constexpr const char* kOwnImage = "/proc/self/exe";

// The program's file as it was at the first call, which main makes at start:
// /proc/self/exe resolved, without the " (deleted)" that the kernel appends
// once the file has been removed or replaced. "" when it cannot be read.
const std::string& OwnExecutablePath();
// Makes OwnExecutablePath give path: the front that replaced itself with this
// image is the program's file the user started. Before any thread reads it.
void SetOwnExecutablePath(const std::string& path);

}  // namespace korvane
