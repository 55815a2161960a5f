#include "platform/HandOffEndpoint.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/UnixSocket.h"

namespace korvane {
namespace {

// A client that floods messages gets this many per turn, so the loop goes on.
constexpr int kMessagesPerTurn = 8;
constexpr size_t kReadChunk = 64 * 1024;

// Removes what an ended instance left at path; anything but a socket stays and makes bind fail.
void RemoveStaleSocket(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) unlink(path.c_str());
}

int Listen(const std::string& path) {
  sockaddr_un address{};
  if (!FillUnixAddress(path, address)) return -1;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  RemoveStaleSocket(path);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool SendResult(int fd, uint32_t result) {
  return send(fd, &result, sizeof result, MSG_NOSIGNAL | MSG_DONTWAIT) == static_cast<ssize_t>(sizeof result);
}

}  // namespace

THandOffEndpoint::THandOffEndpoint(std::string path, Handler handler, IWatcher& watcher)
    : FPath(std::move(path)), FHandler(std::move(handler)), FWatcher(watcher), FListenFd(Listen(FPath)) {
  if (FListenFd < 0) return;
  struct stat st;
  if (stat(FPath.c_str(), &st) == 0) FSocketInode = st.st_ino;
  FWatcher.Watch(FListenFd);
}

THandOffEndpoint::~THandOffEndpoint() {
  while (!FConnections.empty()) Drop(FConnections.begin()->first);
  if (FListenFd < 0) return;
  FWatcher.Unwatch(FListenFd);
  close(FListenFd);
  // Only the file this endpoint made.
  struct stat st;
  if (stat(FPath.c_str(), &st) == 0 && st.st_ino == FSocketInode) unlink(FPath.c_str());
}

void THandOffEndpoint::Readable(int fd) {
  if (fd == FListenFd) return AcceptPending();
  const auto found = FConnections.find(fd);
  if (found != FConnections.end() && !Serve(fd, found->second)) Drop(fd);
}

void THandOffEndpoint::DropStalled(Clock::time_point now) {
  std::vector<int> late;
  for (const auto& [fd, connection] : FConnections)
    if (now >= connection.deadline) late.push_back(fd);
  for (const int fd : late) {
    // What came while the loop was busy elsewhere still counts.
    Connection& connection = FConnections.at(fd);
    const Clock::time_point before = connection.deadline;
    if (!Serve(fd, connection) || connection.deadline == before) Drop(fd);
  }
}

void THandOffEndpoint::AcceptPending() {
  for (;;) {
    const int fd = accept4(FListenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    if (!PeerIsThisUser(fd)) {
      close(fd);  // unread and unanswered
      continue;
    }
    if (FConnections.size() >= kMaxConnections) {
      SendResult(fd, kHandOffBusy);
      close(fd);
      continue;
    }
    FConnections.emplace(fd, Connection{THandOffReader(), Clock::now() + kMessageTimeout});
    FWatcher.Watch(fd);
  }
}

bool THandOffEndpoint::Serve(int fd, Connection& connection) {
  std::vector<char> buffer(kReadChunk);
  for (int answered = 0; answered < kMessagesPerTurn;) {
    const size_t wanted = connection.reader.Wanted();
    if (wanted == 0) return true;  // a message of this connection is being answered further up
    const ssize_t n = recv(fd, buffer.data(), wanted < kReadChunk ? wanted : kReadChunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
    if (n == 0) return false;  // the client is done, or gave up halfway
    connection.reader.Take(buffer.data(), static_cast<size_t>(n));
    if (connection.reader.Status() == THandOffReader::State::Refused) return false;
    if (connection.reader.HasHeader() && !Reserve(connection)) {
      SendResult(fd, kHandOffBusy);
      return false;
    }
    if (connection.reader.Status() == THandOffReader::State::Complete) {
      if (!Answer(fd, connection)) return false;
      ++answered;
    }
  }
  return true;
}

bool THandOffEndpoint::Reserve(Connection& connection) {
  const size_t wanted = connection.reader.CbData();
  if (connection.reserved == wanted) return true;
  if (FReserved + wanted > kByteBudget) return false;
  connection.reserved = wanted;
  FReserved += wanted;
  return true;
}

void THandOffEndpoint::Release(Connection& connection) {
  FReserved -= connection.reserved;
  connection.reserved = 0;
}

bool THandOffEndpoint::Answer(int fd, Connection& connection) {
  uint32_t result = 0;
  try {
    result = FHandler(connection.reader.DwData(), connection.reader.Data());
  } catch (...) {
    Drop(fd);  // the error goes on to the loop's error display
    throw;
  }
  Release(connection);
  connection.reader.Reset();
  connection.deadline = Clock::now() + kMessageTimeout;
  return SendResult(fd, result);
}

void THandOffEndpoint::Drop(int fd) {
  Release(FConnections.at(fd));
  FWatcher.Unwatch(fd);
  close(fd);
  FConnections.erase(fd);
}

}  // namespace korvane
