#pragma once
// A session bus of the caller's own: a dbus-daemon started for the run, named
// in DBUS_SESSION_BUS_ADDRESS while it lives, so that a program started
// meanwhile finds it.
#include <sys/types.h>

#include <string>
#include <vector>

namespace korvane::test {

class TPrivateSessionBus {
 public:
  TPrivateSessionBus();
  ~TPrivateSessionBus();
  TPrivateSessionBus(const TPrivateSessionBus&) = delete;
  TPrivateSessionBus& operator=(const TPrivateSessionBus&) = delete;
  bool Up() const { return FPid > 0; }
  // The address of the private bus that is up; "" when none is.
  static const std::string& Address();

 private:
  pid_t FPid = -1;
};

// A call of the program's desktop controls on the session bus, as dbus-send
// prints its reply (or its error). A short reply timeout: a caller polls again.
std::string MprisCall(const std::string& member, const std::vector<std::string>& args = {});
// A property of the player interface, as dbus-send prints it.
std::string MprisProperty(const std::string& name);

}  // namespace korvane::test
