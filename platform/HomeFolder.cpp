#include "platform/HomeFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace korvane {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "";
}

}  // namespace korvane
