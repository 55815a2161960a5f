#include "tests/e2e/SessionBus.h"

#include <signal.h>

#include <cstdlib>

#include "tests/e2e/KorvaneProcess.h"

namespace korvane::test {

namespace {
std::string upAddress;
}  // namespace

const std::string& TPrivateSessionBus::Address() { return upAddress; }

TPrivateSessionBus::TPrivateSessionBus() {
  const std::string out = CommandOutput("dbus-daemon --session --fork --print-address=1 --print-pid=1");
  const size_t newline = out.find('\n');
  if (newline == std::string::npos) return;
  upAddress = out.substr(0, newline);
  pid_ = std::atoi(out.c_str() + newline + 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", upAddress.c_str(), 1);
}

TPrivateSessionBus::~TPrivateSessionBus() {
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  upAddress.clear();
  if (pid_ > 0) kill(pid_, SIGTERM);
}

}  // namespace korvane::test
