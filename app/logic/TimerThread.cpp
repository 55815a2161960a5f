#include "app/logic/TimerThread.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace korvane {

TTimerThread::TTimerThread(std::function<void()> tick, std::function<void()> wake)
    : FTick(std::move(tick)), FWake(std::move(wake)), FThread([this] { Execute(); }) {}

TTimerThread::~TTimerThread() {
  Terminate();
  WaitFor();
}

void TTimerThread::Execute() {
  std::unique_lock lock(FMutex);
  while (!FTerminated) {
    lock.unlock();
    CallTick();
    lock.lock();
    FChanged.wait_for(lock, kPeriod, [this] { return FTerminated; });
  }
  FFinished = true;
  FChanged.notify_all();
}

void TTimerThread::CallTick() {
  {
    std::lock_guard lock(FMutex);
    FPending = true;
  }
  FChanged.notify_all();
  FWake();
  std::unique_lock lock(FMutex);
  FChanged.wait(lock, [this] { return !FPending; });
}

void TTimerThread::RunPending() {
  {
    std::lock_guard lock(FMutex);
    if (!FPending || FRunning) return;
  }
  FRunning = true;
  RunTick();
  FRunning = false;
  {
    std::lock_guard lock(FMutex);
    FPending = false;
  }
  // Outside the lock: a tick thread woken under it would only block on it again.
  FChanged.notify_all();
}

void TTimerThread::RunTick() {
  std::string error;
  try {
    FTick();
    return;
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "unknown error";
  }
  // A player that keeps failing would otherwise repeat its message 100 times a second.
  if (error == FLastError) return;
  FLastError = error;
  std::fprintf(stderr, "Korvane: error in tick: %s\n", error.c_str());
}

void TTimerThread::Terminate() {
  std::lock_guard lock(FMutex);
  FTerminated = true;
  FChanged.notify_all();
}

void TTimerThread::WaitFor() {
  if (!FThread.joinable()) return;
  // The thread waits for the running tick to return, which waits here: it could never end.
  if (FRunning) throw std::logic_error("TTimerThread stopped from inside its own tick");
  std::unique_lock lock(FMutex);
  while (!FFinished) {
    if (FPending) {
      lock.unlock();
      RunPending();
      lock.lock();
    } else {
      FChanged.wait(lock);
    }
  }
  lock.unlock();
  FThread.join();
}

}  // namespace korvane
