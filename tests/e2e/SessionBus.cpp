#include "tests/e2e/SessionBus.h"

#include <signal.h>

#include <cstdlib>

#include "tests/e2e/KorvaneProcess.h"

namespace korvane::test {

TPrivateSessionBus::TPrivateSessionBus() {
  const std::string out = CommandOutput("dbus-daemon --session --fork --print-address=1 --print-pid=1");
  const size_t newline = out.find('\n');
  if (newline == std::string::npos) return;
  address_ = out.substr(0, newline);
  pid_ = std::atoi(out.c_str() + newline + 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
}

TPrivateSessionBus::~TPrivateSessionBus() {
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  if (pid_ > 0) kill(pid_, SIGTERM);
}

}  // namespace korvane::test
