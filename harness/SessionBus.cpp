#include "harness/SessionBus.h"

#include <signal.h>

#include <cstdlib>

#include "harness/KorvaneProcess.h"

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
  FPid = std::atoi(out.c_str() + newline + 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", upAddress.c_str(), 1);
}

std::string MprisCall(const std::string& member, const std::vector<std::string>& args) {
  std::vector<std::string> command{"dbus-send", "--session", "--print-reply", "--reply-timeout=1000",
                                   "--dest=org.mpris.MediaPlayer2.korvane", "/org/mpris/MediaPlayer2", member};
  command.insert(command.end(), args.begin(), args.end());
  return RunTool(command).out;
}

std::string MprisProperty(const std::string& name) {
  return MprisCall("org.freedesktop.DBus.Properties.Get", {"string:org.mpris.MediaPlayer2.Player", "string:" + name});
}

TPrivateSessionBus::~TPrivateSessionBus() {
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  upAddress.clear();
  if (FPid > 0) kill(FPid, SIGTERM);
}

}  // namespace korvane::test
