#include "app/window/ConfigLifetime.h"

#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <stdexcept>

#include "config/Config.h"
#include "dialogs/MessageBox.h"

namespace korvane {
namespace {

// The store that an unplanned exit saves, and where; set while one is open.
TConfig* openStore = nullptr;
std::string openIniPath;

void ReportUnsaved(const char* why) { std::fprintf(stderr, "Korvane: the settings were not saved: %s\n", why); }

// Qt ends the process with exit() when the X server goes away, from every
// thread that meets the broken connection (the GUI thread and a render thread
// at once), and the static destructors then crashed under running threads.
// The first to get here saves the settings and ends the process for all.
void SaveAtAnUnplannedExit() {
  if (!openStore) return;
  try {
    openStore->SaveToFile(openIniPath);
  } catch (const std::exception& e) {
    ReportUnsaved(e.what());
  }
  std::fflush(nullptr);
  _exit(1);
}

}  // namespace

std::string OpenConfigStore(TConfig& store) {
  static const bool registered = std::atexit(SaveAtAnUnplannedExit) == 0;
  (void)registered;
  openIniPath = ConfigFilePath();
  store.LoadFromFile(openIniPath);
  openStore = &store;
  return openIniPath;
}

void CloseConfigStore(TConfig& store, const std::string& iniPath, QWidget* owner) {
  try {
    store.SaveToFile(iniPath);
  } catch (const std::exception& e) {
    // Once the window has closed a box would stand unseen and hold the exit.
    if (owner->isVisible())
      ShowErrorBox(owner, owner->windowTitle(), QString::fromUtf8(e.what()));
    else
      ReportUnsaved(e.what());
  }
  openStore = nullptr;
}

}  // namespace korvane
