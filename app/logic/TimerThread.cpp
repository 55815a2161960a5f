#include "app/logic/TimerThread.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace korvane {

TTimerThread::TTimerThread(std::function<void()> tick, std::function<void()> wake)
    : tick_(std::move(tick)), wake_(std::move(wake)), thread_([this] { Execute(); }) {}

TTimerThread::~TTimerThread() {
  Terminate();
  WaitFor();
}

void TTimerThread::Execute() {
  std::unique_lock lock(mutex_);
  while (!terminated_) {
    lock.unlock();
    CallTick();
    lock.lock();
    changed_.wait_for(lock, kPeriod, [this] { return terminated_; });
  }
  finished_ = true;
  changed_.notify_all();
}

void TTimerThread::CallTick() {
  {
    std::lock_guard lock(mutex_);
    pending_ = true;
  }
  changed_.notify_all();
  wake_();
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !pending_; });
}

void TTimerThread::RunPending() {
  {
    std::lock_guard lock(mutex_);
    if (!pending_ || running_) return;
  }
  running_ = true;
  RunTick();
  running_ = false;
  std::lock_guard lock(mutex_);
  pending_ = false;
  changed_.notify_all();
}

void TTimerThread::RunTick() {
  std::string error;
  try {
    tick_();
    return;
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "unknown error";
  }
  // A player that keeps failing would otherwise repeat its message 100 times a second.
  if (error == lastError_) return;
  lastError_ = error;
  std::fprintf(stderr, "Korvane: error in tick: %s\n", error.c_str());
}

void TTimerThread::Terminate() {
  std::lock_guard lock(mutex_);
  terminated_ = true;
  changed_.notify_all();
}

void TTimerThread::WaitFor() {
  if (!thread_.joinable()) return;
  // The thread waits for the running tick to return, which waits here: it could never end.
  if (running_) throw std::logic_error("TTimerThread stopped from inside its own tick");
  std::unique_lock lock(mutex_);
  while (!finished_) {
    if (pending_) {
      lock.unlock();
      RunPending();
      lock.lock();
    } else {
      changed_.wait(lock);
    }
  }
  lock.unlock();
  thread_.join();
}

}  // namespace korvane
