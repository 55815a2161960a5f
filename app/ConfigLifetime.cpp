#include "app/ConfigLifetime.h"

#include <QWidget>
#include <cstdio>
#include <stdexcept>

#include "config/Config.h"
#include "dialogs/MessageBox.h"

namespace korvane {

std::string OpenConfigStore() {
  ConfigStore = new TConfig();
  std::string iniPath = ConfigFilePath();
  ConfigStore->LoadFromFile(iniPath);
  return iniPath;
}

void CloseConfigStore(const std::string& iniPath, QWidget* owner) {
  try {
    ConfigStore->SaveToFile(iniPath);
  } catch (const std::exception& e) {
    // Once the window has closed a box would stand unseen and hold the exit.
    if (owner->isVisible())
      ShowErrorBox(owner, owner->windowTitle(), QString::fromUtf8(e.what()));
    else
      std::fprintf(stderr, "Korvane: the settings were not saved: %s\n", e.what());
  }
  delete ConfigStore;
  ConfigStore = nullptr;
}

}  // namespace korvane
