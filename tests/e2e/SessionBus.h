#pragma once
// A session bus of the caller's own: a dbus-daemon started for the run, named
// in DBUS_SESSION_BUS_ADDRESS while it lives, so that a program started
// meanwhile finds it.
#include <sys/types.h>

#include <string>

namespace korvane::test {

class TPrivateSessionBus {
 public:
  TPrivateSessionBus();
  ~TPrivateSessionBus();
  TPrivateSessionBus(const TPrivateSessionBus&) = delete;
  TPrivateSessionBus& operator=(const TPrivateSessionBus&) = delete;
  bool Up() const { return pid_ > 0; }
  // The address of the private bus that is up; "" when none is.
  static const std::string& Address();

 private:
  pid_t pid_ = -1;
};

}  // namespace korvane::test
