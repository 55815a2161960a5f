#pragma once
// The event loop of the hand-off tests: poll over what an endpoint asked to watch.
#include <poll.h>

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <vector>

#include "platform/HandOffEndpoint.h"

namespace korvane::test {

class TPollLoop : public THandOffEndpoint::IWatcher {
 public:
  void Watch(int fd) override { EXPECT_TRUE(FFds.insert(fd).second); }
  void Unwatch(int fd) override { EXPECT_EQ(FFds.erase(fd), 1u); }
  const std::set<int>& Watched() const { return FFds; }

  // Runs the endpoint until done() holds or the time is up; tick() runs on every turn.
  template <typename Done, typename Tick = void (*)()>
  bool RunUntil(THandOffEndpoint& endpoint, Done done, std::chrono::milliseconds limit, Tick tick = [] {}) {
    const auto end = THandOffEndpoint::Clock::now() + limit;
    while (!done()) {
      if (THandOffEndpoint::Clock::now() >= end) return false;
      std::vector<pollfd> entries;
      for (const int fd : FFds) entries.push_back({fd, POLLIN, 0});
      poll(entries.data(), entries.size(), 50);
      for (const pollfd& entry : entries)
        if (entry.revents && FFds.count(entry.fd)) endpoint.Readable(entry.fd);
      endpoint.DropStalled(THandOffEndpoint::Clock::now());
      tick();
    }
    return true;
  }

 private:
  std::set<int> FFds;
};

}  // namespace korvane::test
