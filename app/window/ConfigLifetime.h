#pragma once
// The configuration store lives as long as the main window: read at its
// creation, written back at its close to the file the start read.
#include <string>

class QWidget;

namespace korvane {

class TConfig;

// Loads store from the settings file; the ini path it was read from. Should
// the process end by exit() while it is open, it is saved there.
std::string OpenConfigStore(TConfig& store);
// Saves store to iniPath, a failure told in a box over owner (on stderr once
// owner is hidden); from then on an exit() no longer saves it.
void CloseConfigStore(TConfig& store, const std::string& iniPath, QWidget* owner);

}  // namespace korvane
