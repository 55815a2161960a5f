#pragma once
// The heartbeat: a thread that, until told to end, hands the tick to the GUI
// thread, waits until it has run there, and sleeps 10 ms. The GUI thread runs a
// handed-over tick in RunPending, which `wake` asks it to call; stopping keeps
// running handed-over ticks while it waits, so it cannot deadlock with a tick
// thread that is waiting for its call.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace korvane {

class TTimerThread {
 public:
  static constexpr std::chrono::milliseconds kPeriod{10};

  // tick runs on the GUI thread; wake is called on the tick thread each time a
  // tick has been handed over. An error leaving tick is reported on standard
  // error (the same message only once) and ticking goes on.
  TTimerThread(std::function<void()> tick, std::function<void()> wake);
  // Terminates and waits (see WaitFor).
  ~TTimerThread();
  TTimerThread(const TTimerThread&) = delete;
  TTimerThread& operator=(const TTimerThread&) = delete;

  // GUI thread: runs the handed-over tick, if one waits.
  void RunPending();
  // Asks the thread to end after its current pass.
  void Terminate();
  // GUI thread: runs handed-over ticks until the thread has ended, then joins
  // it. Called from inside a tick it throws std::logic_error (it could only
  // wait for ever), which ends the program when it leaves the destructor.
  void WaitFor();

 private:
  void Execute();
  // Hands the tick over and waits until the GUI thread has run it.
  void CallTick();
  void RunTick();

  std::function<void()> FTick;
  std::function<void()> FWake;
  std::mutex FMutex;
  std::condition_variable FChanged;
  bool FTerminated = false;
  bool FPending = false;
  bool FFinished = false;
  bool FRunning = false;  // GUI thread only: a tick is running now
  std::string FLastError;
  std::thread FThread;  // last: starts once the fields above exist
};

}  // namespace korvane
