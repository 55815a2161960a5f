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
  // A connection that takes longer than this without a byte is dropped.
  static constexpr std::chrono::seconds kStallTimeout{3};
  // Connections beyond this many are closed at once.
  static constexpr size_t kMaxConnections = 32;

  // Listens at path; a socket file left there by an instance that ended
  // without removing it is replaced (whoever holds the instance lock owns the
  // name). Listening() tells whether it worked.
  THandOffEndpoint(std::string path, Handler handler, IWatcher& watcher);
  // Closes every connection and removes the socket file.
  ~THandOffEndpoint();
  THandOffEndpoint(const THandOffEndpoint&) = delete;
  THandOffEndpoint& operator=(const THandOffEndpoint&) = delete;

  bool Listening() const { return listenFd_ >= 0; }
  // A watched descriptor has something to read.
  void Readable(int fd);
  // Drops the connections stalled at now; call it about once a second while Busy().
  void DropStalled(Clock::time_point now);
  bool Busy() const { return !connections_.empty(); }

 private:
  struct Connection {
    THandOffReader reader;
    Clock::time_point lastProgress;
  };
  void AcceptPending();
  // Reads what has arrived and answers each complete message; false when the
  // connection is finished or must go.
  bool Serve(int fd, Connection& connection);
  bool Answer(int fd, Connection& connection);
  void Drop(int fd);

  std::string path_;
  Handler handler_;
  IWatcher& watcher_;
  int listenFd_ = -1;
  ino_t socketInode_ = 0;
  std::map<int, Connection> connections_;
};

}  // namespace korvane
