#include "app/startup/QuitOnSignals.h"

#include <QCoreApplication>

#include "platform/QuitSignals.h"

namespace korvane {

TQuitOnSignals::TQuitOnSignals() {
  const int fd = DeliverQuitSignals();
  if (fd < 0) return;
  FNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  connect(FNotifier.get(), &QSocketNotifier::activated, this, [fd] {
    // exit, not quit: it also ends the loop of a dialog that may be open.
    if (TakeQuitSignals(fd)) QCoreApplication::exit(0);
  });
}

}  // namespace korvane
