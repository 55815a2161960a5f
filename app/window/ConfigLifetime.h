#pragma once
// The configuration store lives as long as the main window: read at its
// creation, written back at its close to the file the start read.
#include <string>

class QWidget;

namespace korvane {

// Creates ConfigStore and loads it; the ini path it was read from. Should the
// process end by exit() while it is open, it is saved there.
std::string OpenConfigStore();
// Saves ConfigStore to iniPath, a failure told in a box over owner (on stderr
// once owner is hidden), and frees it.
void CloseConfigStore(const std::string& iniPath, QWidget* owner);

}  // namespace korvane
