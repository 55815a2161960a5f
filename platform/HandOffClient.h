#pragma once
// The second launch's end of the hand-off socket: one connection to the
// running instance, requests sent one at a time, each waiting for its result
// no longer than a given time, so a hung instance cannot hang the launch.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

class THandOffClient {
 public:
  // Connects to the endpoint at path, if one of this user's listens there.
  THandOffClient(const std::string& path, std::chrono::milliseconds timeout);
  ~THandOffClient();
  THandOffClient(const THandOffClient&) = delete;
  THandOffClient& operator=(const THandOffClient&) = delete;

  bool Connected() const { return FFd >= 0; }
  // Sends one message and waits for its result; none when the other side
  // closed, refused or did not answer in time (the connection is then closed).
  // An instance too busy for it (kHandOffBusy) is asked again on a new
  // connection, until the timeout.
  std::optional<uint32_t> Request(uint32_t dwData, std::string_view data);

 private:
  bool Connect(std::chrono::steady_clock::time_point deadline);
  // One try of Request on the connection as it is.
  std::optional<uint32_t> Exchange(std::string_view message, std::chrono::steady_clock::time_point deadline);
  bool SendAll(std::string_view bytes, std::chrono::steady_clock::time_point deadline);
  bool ReceiveAll(char* bytes, size_t size, std::chrono::steady_clock::time_point deadline);
  // Waits until the socket is ready for events; false at the deadline.
  bool WaitFor(short events, std::chrono::steady_clock::time_point deadline);
  void Disconnect();

  std::string FPath;
  std::chrono::milliseconds FTimeout;
  int FFd = -1;
};

}  // namespace korvane
