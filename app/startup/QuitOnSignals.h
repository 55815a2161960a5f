#pragma once
// Ends the program on SIGTERM, SIGINT or SIGHUP as closing its window does:
// every event loop returns, and the window then goes as after a close (tick
// stopped, search cancelled, settings saved). Made just before the main loop
// runs: a signal held since start-up (HoldQuitSignals) arrives at that moment
// and is acted on as soon as the loop runs.
#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace korvane {

class TQuitOnSignals : public QObject {
 public:
  TQuitOnSignals();

 private:
  std::unique_ptr<QSocketNotifier> FNotifier;
};

}  // namespace korvane
