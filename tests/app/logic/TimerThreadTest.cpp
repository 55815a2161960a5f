#include "app/logic/TimerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

// Serves handed-over ticks on this thread, as the GUI thread's loop does, until done() or 5 s.
template <typename Done>
void Serve(TTimerThread& timer, Done done) {
  const auto end = std::chrono::steady_clock::now() + 5s;
  while (!done() && std::chrono::steady_clock::now() < end) {
    timer.RunPending();
    std::this_thread::sleep_for(1ms);
  }
}

TEST(TickTimerThread, TicksRunOnTheServingThreadOneAtATime) {
  const auto self = std::this_thread::get_id();
  int ticks = 0;
  bool elsewhere = false;
  std::atomic<int> wakes{0};
  TTimerThread timer([&] { ++ticks; elsewhere |= std::this_thread::get_id() != self; }, [&] { ++wakes; });
  Serve(timer, [&] { return ticks >= 5; });
  EXPECT_GE(ticks, 5);
  EXPECT_FALSE(elsewhere);
  EXPECT_LE(wakes - ticks, 1);  // at most one tick in flight
}

TEST(TickTimerThread, StoppingWhileATickWaitsRunsItAndReturns) {
  std::atomic<bool> handedOver{false};
  int ticks = 0;
  {
    TTimerThread timer([&] { ++ticks; }, [&] { handedOver = true; });
    while (!handedOver) std::this_thread::sleep_for(1ms);
  }  // nobody served the call: the destructor must
  EXPECT_EQ(ticks, 1);
}

TEST(TickTimerThread, StoppingFromInsideATickIsARefusedCallNotASpin) {
  TTimerThread* self = nullptr;
  int refusals = 0;
  TTimerThread timer([&] {
    self->Terminate();
    try {
      self->WaitFor();
    } catch (const std::logic_error&) {
      ++refusals;
    }
  }, [] {});
  self = &timer;
  Serve(timer, [&] { return refusals > 0; });
  EXPECT_EQ(refusals, 1);
}

TEST(TickTimerThread, AnErrorIsReportedOnceAndTickingGoesOn) {
  int ticks = 0;
  testing::internal::CaptureStderr();
  {
    TTimerThread timer([&] { ++ticks; throw std::runtime_error("player gone"); }, [] {});
    Serve(timer, [&] { return ticks >= 5; });
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_GE(ticks, 5);
  EXPECT_NE(err.find("player gone"), std::string::npos);
  EXPECT_EQ(err.find("player gone"), err.rfind("player gone"));
}

}  // namespace
}  // namespace korvane::test
