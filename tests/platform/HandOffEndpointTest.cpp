#include "platform/HandOffEndpoint.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/HandOffClient.h"
#include "platform/UnixSocket.h"
#include "tests/support/PollLoop.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using namespace std::chrono_literals;
using Clock = THandOffEndpoint::Clock;

using test::TPollLoop;

int RawConnect(const std::string& path) {
  sockaddr_un address{};
  EXPECT_TRUE(FillUnixAddress(path, address));
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  return fd;
}

// Whether the endpoint has closed its end of fd (without sending anything first).
bool ClosedUnanswered(int fd) {
  char byte;
  return recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

class HandOffEndpoint : public ::testing::Test {
 protected:
  test::TTempDir dir;
  const std::string path = dir / "korvane-test.sock";
  TPollLoop loop;
  std::vector<std::pair<uint32_t, std::string>> received;
  THandOffEndpoint::Handler record = [this](uint32_t dwData, std::string_view data) {
    received.emplace_back(dwData, std::string(data));
    return dwData + 1;
  };
};

TEST_F(HandOffEndpoint, ReplacesAStaleSocketAndRemovesItsOwnAtTheEnd) {
  // What a killed instance leaves: a socket file nobody listens at.
  {
    sockaddr_un address{};
    FillUnixAddress(path, address);
    const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(stale);
  }
  {
    THandOffEndpoint endpoint(path, record, loop);
    ASSERT_TRUE(endpoint.Listening());
    EXPECT_EQ(loop.Watched().size(), 1u);
  }
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(loop.Watched().size(), 0u);

  // Anything other than a socket is left alone, and there is no endpoint then.
  dir.WriteFile("korvane-test.sock", "mine");
  THandOffEndpoint endpoint(path, record, loop);
  EXPECT_FALSE(endpoint.Listening());
  EXPECT_EQ(test::ReadFile(path), "mine");
}

TEST_F(HandOffEndpoint, ASecondProcessIsAnsweredWhileBadAndSilentClientsAreDropped) {
  THandOffEndpoint endpoint(path, record, loop);
  ASSERT_TRUE(endpoint.Listening());
  const int silent = RawConnect(path);
  const int half = RawConnect(path);
  const std::string halfMessage = EncodeHandOffMessage(0x1111, "abcdef").substr(0, 11);
  ASSERT_EQ(send(half, halfMessage.data(), halfMessage.size(), 0), 11);
  const int huge = RawConnect(path);
  uint32_t hugeHeader[2] = {0x1111, 20u * 1024 * 1024};
  ASSERT_EQ(send(huge, hugeHeader, 8, 0), 8);

  const pid_t sender = fork();
  if (sender == 0) {
    THandOffClient client(path, 5s);
    const auto first = client.Request(0x1111, std::string("\"/a b\",/c\0", 10));
    const auto second = client.Request(kActivateRequest, "");
    _exit(first == 0x1112u && second == kActivateRequest + 1 ? 0 : 1);
  }
  int status = -1;
  EXPECT_TRUE(loop.RunUntil(endpoint, [&] { return waitpid(sender, &status, WNOHANG) == sender; }, 5s));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0], std::make_pair(0x1111u, std::string("\"/a b\",/c\0", 10)));
  EXPECT_EQ(received[1], std::make_pair(kActivateRequest, std::string()));
  EXPECT_TRUE(ClosedUnanswered(huge));
  EXPECT_FALSE(ClosedUnanswered(silent));

  // The silent and the half-sent connection go once they have stalled long enough; nothing reached the handler.
  EXPECT_TRUE(loop.RunUntil(endpoint, [&] { return !endpoint.Busy(); }, THandOffEndpoint::kMessageTimeout + 2s));
  EXPECT_TRUE(ClosedUnanswered(silent));
  EXPECT_TRUE(ClosedUnanswered(half));
  EXPECT_EQ(received.size(), 2u);
  for (const int fd : {silent, half, huge}) close(fd);
}

// Sends a message from a raw connection, runs the endpoint until it answers,
// and gives that answer once the endpoint has also closed the connection.
uint32_t RefusedWith(THandOffEndpoint& endpoint, TPollLoop& loop, const std::string& path) {
  const int fd = RawConnect(path);
  const std::string message = EncodeHandOffMessage(0x1111, "/y");
  EXPECT_EQ(send(fd, message.data(), message.size(), 0), static_cast<ssize_t>(message.size()));
  uint32_t result = 0;
  EXPECT_TRUE(loop.RunUntil(endpoint, [&] { return recv(fd, &result, sizeof result, MSG_DONTWAIT | MSG_PEEK) == 4; }, 2s));
  recv(fd, &result, sizeof result, 0);
  char byte;
  const ssize_t after = recv(fd, &byte, 1, MSG_DONTWAIT);
  EXPECT_TRUE(after == 0 || (after < 0 && errno == ECONNRESET)) << after;
  close(fd);
  return result;
}

// Every slot held by clients that send a byte of their message every 100 ms:
// a launch is told the instance is busy, asks again, and is answered once the
// message deadline has dropped them. A message that does not fit in what
// another has announced is refused the same way.
TEST_F(HandOffEndpoint, ClientsTricklingBytesCannotKeepALaunchOut) {
  THandOffEndpoint endpoint(path, record, loop);
  ASSERT_TRUE(endpoint.Listening());
  std::vector<int> stuck;
  for (size_t i = 0; i < THandOffEndpoint::kMaxConnections; ++i) {
    stuck.push_back(RawConnect(path));
    const uint32_t header[2] = {0x1111, 1000};
    ASSERT_EQ(send(stuck.back(), header, sizeof header, 0), static_cast<ssize_t>(sizeof header));
    // Accepted one by one: the backlog is shorter than that.
    for (const int fd : std::set<int>(loop.Watched())) endpoint.Readable(fd);
  }
  ASSERT_EQ(loop.Watched().size(), THandOffEndpoint::kMaxConnections + 1);
  Clock::time_point lastByte = Clock::now();
  const auto trickle = [&] {
    if (Clock::now() - lastByte < 100ms) return;
    lastByte = Clock::now();
    for (const int fd : stuck) send(fd, "x", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  };

  const Clock::time_point start = Clock::now();
  const pid_t launch = fork();
  if (launch == 0) {
    THandOffClient client(path, 10s);
    _exit(client.Request(0x1111, "/x") == 0x1112u ? 0 : 1);
  }
  int status = -1;
  EXPECT_TRUE(loop.RunUntil(endpoint, [&] { return waitpid(launch, &status, WNOHANG) == launch; }, 12s, trickle));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(received, (std::vector<std::pair<uint32_t, std::string>>{{0x1111u, "/x"}}));
  EXPECT_LT(Clock::now() - start, THandOffEndpoint::kMessageTimeout + 3s);
  for (const int fd : stuck) close(fd);

  const int hog = RawConnect(path);
  const uint32_t header[2] = {0x1111, static_cast<uint32_t>(THandOffEndpoint::kByteBudget)};
  ASSERT_EQ(send(hog, header, sizeof header, 0), static_cast<ssize_t>(sizeof header));
  EXPECT_EQ(RefusedWith(endpoint, loop, path), kHandOffBusy);
  close(hog);
  EXPECT_EQ(received.size(), 1u);
}

TEST_F(HandOffEndpoint, AClientGivesUpWhenNobodyAnswers) {
  // Bound and listening, but never served: a hung instance.
  sockaddr_un address{};
  FillUnixAddress(path, address);
  const int hung = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(bind(hung, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(hung, 4), 0);
  THandOffClient client(path, 300ms);
  ASSERT_TRUE(client.Connected());
  EXPECT_EQ(client.Request(kActivateRequest, ""), std::nullopt);
  EXPECT_FALSE(client.Connected());
  close(hung);

  THandOffClient nobody(dir / "none.sock", 300ms);
  EXPECT_FALSE(nobody.Connected());
}

}  // namespace
}  // namespace korvane
