#include "app/HandOffWindow.h"

#include <QSocketNotifier>

#include "app/StartUp.h"
#include "platform/InstanceLock.h"

namespace korvane {

THandOffWindow::THandOffWindow(const std::string& path, THandOffEndpoint::Handler method) {
  FStallTimer.setInterval(1000);
  connect(&FStallTimer, &QTimer::timeout, this, [this] {
    FEndpoint->DropStalled(THandOffEndpoint::Clock::now());
    UpdateStallTimer();
  });
  THandOffEndpoint::IWatcher& watcher = *this;
  FEndpoint = std::make_unique<THandOffEndpoint>(path, std::move(method), watcher);
}

THandOffWindow::~THandOffWindow() { FEndpoint.reset(); }

void THandOffWindow::Watch(int fd) {
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, fd] { Readable(fd); });
  FNotifiers[fd] = notifier;
}

void THandOffWindow::Unwatch(int fd) {
  const auto found = FNotifiers.find(fd);
  if (found == FNotifiers.end()) return;
  // Off at once, before the descriptor closes; deleted later, as it may be the one signalling now.
  found->second->setEnabled(false);
  found->second->deleteLater();
  FNotifiers.erase(found);
}

void THandOffWindow::Readable(int fd) {
  FEndpoint->Readable(fd);
  UpdateStallTimer();
}

void THandOffWindow::UpdateStallTimer() {
  if (!FEndpoint->Busy())
    FStallTimer.stop();
  else if (!FStallTimer.isActive())
    FStallTimer.start();
}

std::unique_ptr<THandOffWindow> AllocateHandOffWindow(const std::string& className, THandOffEndpoint::Handler method) {
  if (!HoldsInstanceLock(className)) return nullptr;
  auto window = std::make_unique<THandOffWindow>(HandOffSocketPath(className), std::move(method));
  if (!window->Listening()) return nullptr;
  return window;
}

}  // namespace korvane
