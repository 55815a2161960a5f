#pragma once
// The hand-off server: the running instance's hand-off endpoint, served on
// the GUI thread's event loop (a notifier for each descriptor, a timer that
// drops stalled connections while there are any).
#include <QObject>
#include <QTimer>
#include <map>
#include <memory>
#include <string>

#include "platform/HandOffEndpoint.h"

class QSocketNotifier;

namespace korvane {

class THandOffServer : public QObject, private THandOffEndpoint::IWatcher {
 public:
  THandOffServer(const std::string& path, THandOffEndpoint::Handler method);
  ~THandOffServer() override;
  bool Listening() const { return FEndpoint->Listening(); }

 private:
  void Watch(int fd) override;
  void Unwatch(int fd) override;
  void Readable(int fd);
  void UpdateStallTimer();

  std::map<int, QSocketNotifier*> FNotifiers;
  QTimer FStallTimer;
  // Last, so it goes first and forgets its descriptors while the notifiers still exist.
  std::unique_ptr<THandOffEndpoint> FEndpoint;
};

// The hand-off endpoint of the instance named className (the socket that
// stands in for its hidden hand-off window), with method answering each
// message; only the holder of the instance lock of that name gets one (it owns
// the socket's name), anyone else and a failure to listen get none.
std::unique_ptr<THandOffServer> AllocateHandOffWindow(const std::string& className, THandOffEndpoint::Handler method);

}  // namespace korvane
