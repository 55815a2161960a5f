#include "app/startup/HandOffServer.h"

#include <QSocketNotifier>

#include "app/startup/StartUp.h"
#include "platform/InstanceLock.h"

namespace korvane {

THandOffServer::THandOffServer(const std::string& path, THandOffEndpoint::Handler method) {
  FStallTimer.setInterval(1000);
  connect(&FStallTimer, &QTimer::timeout, this, [this] {
    FEndpoint->DropStalled(THandOffEndpoint::Clock::now());
    UpdateStallTimer();
  });
  THandOffEndpoint::IWatcher& watcher = *this;
  FEndpoint = std::make_unique<THandOffEndpoint>(path, std::move(method), watcher);
}

THandOffServer::~THandOffServer() { FEndpoint.reset(); }

void THandOffServer::Watch(int fd) {
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, fd] { Readable(fd); });
  FNotifiers[fd] = notifier;
}

void THandOffServer::Unwatch(int fd) {
  const auto found = FNotifiers.find(fd);
  if (found == FNotifiers.end()) return;
  // Off at once, before the descriptor closes; deleted later, as it may be the one signalling now.
  found->second->setEnabled(false);
  found->second->deleteLater();
  FNotifiers.erase(found);
}

void THandOffServer::Readable(int fd) {
  FEndpoint->Readable(fd);
  UpdateStallTimer();
}

void THandOffServer::UpdateStallTimer() {
  if (!FEndpoint->Busy())
    FStallTimer.stop();
  else if (!FStallTimer.isActive())
    FStallTimer.start();
}

std::unique_ptr<THandOffServer> AllocateHandOffWindow(const std::string& className, THandOffEndpoint::Handler method) {
  if (!HoldsInstanceLock(className)) return nullptr;
  auto server = std::make_unique<THandOffServer>(InstanceSocketPath(className), std::move(method));
  if (!server->Listening()) return nullptr;
  return server;
}

}  // namespace korvane
