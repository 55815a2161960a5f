#pragma once
// Helpers of the player tests: one QApplication per test process, waits that
// keep the event loop running, and a recorder of the player's events.
#include <QApplication>
#include <QElapsedTimer>
#include <functional>
#include <string>
#include <vector>

#include "player/Player.h"

namespace korvane::test {

// Creates the application on first use; headless tests use the offscreen platform
// unless `useDisplay` and a display is there.
QApplication& EnsureApp(bool useDisplay = false);

// Runs the event loop until pred() holds or timeoutMs (scaled, see TestTime.h) passed; returns pred().
bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 5000);
// Runs the event loop for ms milliseconds.
void Pump(int ms);

struct EventLog {
  // One entry per event: "open 13", "play 3", "status", "media <name> <w>x<h>", "click b s x y", "doubleclick b".
  std::vector<std::string> entries;
  void Attach(IWMPCore& player);
  bool Has(const std::string& entry) const;
  int IndexOf(const std::string& entry, int from = 0) const;
  std::string Joined() const;
};

}  // namespace korvane::test
