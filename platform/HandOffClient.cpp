#include "platform/HandOffClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/HandOffMessage.h"
#include "platform/UnixSocket.h"

namespace korvane {
namespace {

using Clock = std::chrono::steady_clock;

// How long a launch waits before it asks a busy instance again.
constexpr std::chrono::milliseconds kBusyRetryDelay{100};

// A full backlog refuses a non-blocking connect for now rather than making it wait.
bool ConnectUntil(int fd, const sockaddr_un& address, Clock::time_point deadline) {
  for (;;) {
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
    if ((errno != EAGAIN && errno != EINTR) || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

THandOffClient::THandOffClient(const std::string& path, std::chrono::milliseconds timeout)
    : FPath(path), FTimeout(timeout) {
  Connect(Clock::now() + FTimeout);
}

THandOffClient::~THandOffClient() { Disconnect(); }

bool THandOffClient::Connect(Clock::time_point deadline) {
  sockaddr_un address{};
  if (!FillUnixAddress(FPath, address)) return false;
  FFd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (FFd >= 0 && ConnectUntil(FFd, address, deadline) && PeerIsThisUser(FFd)) return true;
  Disconnect();
  return false;
}

std::optional<uint32_t> THandOffClient::Request(uint32_t dwData, std::string_view data) {
  if (FFd < 0) return std::nullopt;
  const Clock::time_point deadline = Clock::now() + FTimeout;
  const std::string message = EncodeHandOffMessage(dwData, data);
  for (;;) {
    const std::optional<uint32_t> result = Exchange(message, deadline);
    if (result != kHandOffBusy) return result;
    // The instance closes a connection it is too busy for.
    Disconnect();
    std::this_thread::sleep_for(kBusyRetryDelay);
    if (Clock::now() >= deadline || !Connect(deadline)) return std::nullopt;
  }
}

std::optional<uint32_t> THandOffClient::Exchange(std::string_view message, Clock::time_point deadline) {
  uint32_t result = 0;
  // A refusal may come before the whole message is sent: the answer is read all the same.
  const bool sent = SendAll(message, deadline);
  if (ReceiveAll(reinterpret_cast<char*>(&result), sizeof result, deadline) && (sent || result == kHandOffBusy))
    return result;
  Disconnect();
  return std::nullopt;
}

bool THandOffClient::SendAll(std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    const ssize_t n = send(FFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      if (!WaitFor(POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool THandOffClient::ReceiveAll(char* bytes, size_t size, Clock::time_point deadline) {
  while (size > 0) {
    const ssize_t n = recv(FFd, bytes, size, 0);
    if (n > 0) {
      bytes += n;
      size -= static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      if (!WaitFor(POLLIN, deadline)) return false;
    } else {
      return false;  // closed without an answer
    }
  }
  return true;
}

bool THandOffClient::WaitFor(short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd entry{FFd, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;  // errors and hang-ups show in the next send or recv
    if (ready < 0 && errno != EINTR) return false;
  }
}

void THandOffClient::Disconnect() {
  if (FFd >= 0) close(FFd);
  FFd = -1;
}

}  // namespace korvane
