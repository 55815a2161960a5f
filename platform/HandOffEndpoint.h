#pragma once
// The running instance's end of the hand-off socket: a listening Unix stream
// socket that only this user may use, and the connections it has accepted,
// each read without blocking as its bytes arrive. The caller's event loop
// watches the descriptors it is told about and reports them readable.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "platform/HandOffMessage.h"

namespace korvane {

class THandOffEndpoint {
 public:
  // Answers one complete message with its result.
  using Handler = std::function<uint32_t(uint32_t dwData, std::string_view data)>;
  // Told to watch a descriptor for reading before it is used, and to forget
  // it before it is closed.
  class IWatcher {
   public:
    virtual ~IWatcher() = default;
    virtual void Watch(int fd) = 0;
    virtual void Unwatch(int fd) = 0;
  };
  using Clock = std::chrono::steady_clock;
  // Each message, counted from the connection or the previous answer, must
  // be in whole within this; otherwise the connection is dropped.
  static constexpr std::chrono::seconds kMessageTimeout{3};
  // Connections beyond this many are answered kHandOffBusy and closed.
  static constexpr size_t kMaxConnections = 32;
  // What the messages being read may announce together; one that does not
  // fit is answered kHandOffBusy and its connection closed.
  static constexpr size_t kByteBudget = kMaxHandOffData;

  // Listens at path; a socket file left there by an instance that ended
  // without removing it is replaced (whoever holds the instance lock owns the
  // name). Listening() tells whether it worked.
  THandOffEndpoint(std::string path, Handler handler, IWatcher& watcher);
  // Closes every connection and removes the socket file.
  ~THandOffEndpoint();
  THandOffEndpoint(const THandOffEndpoint&) = delete;
  THandOffEndpoint& operator=(const THandOffEndpoint&) = delete;

  bool Listening() const { return FListenFd >= 0; }
  // A watched descriptor has something to read.
  void Readable(int fd);
  // Drops the connections whose message is late at now; call it about once a second while Busy().
  void DropStalled(Clock::time_point now);
  bool Busy() const { return !FConnections.empty(); }

 private:
  struct Connection {
    THandOffReader reader;
    Clock::time_point deadline;
    size_t reserved = 0;  // of the byte budget, for the message being read
  };
  void AcceptPending();
  // Reads what has arrived and answers each complete message; false when the
  // connection is finished or must go.
  bool Serve(int fd, Connection& connection);
  // Takes the announced size of the message being read from the budget; false when it does not fit.
  bool Reserve(Connection& connection);
  void Release(Connection& connection);
  bool Answer(int fd, Connection& connection);
  void Drop(int fd);

  std::string FPath;
  Handler FHandler;
  IWatcher& FWatcher;
  int FListenFd = -1;
  ino_t FSocketInode = 0;
  std::map<int, Connection> FConnections;
  size_t FReserved = 0;
};

}  // namespace korvane
