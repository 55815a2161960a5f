#include "platform/QuitSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace korvane {
namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

int pipeEnds[2] = {-1, -1};

void WriteSignal(int signal) {
  const int saved = errno;
  const char byte = static_cast<char>(signal);
  // A full pipe already holds a quit for the loop to see.
  [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
  errno = saved;
}

bool Ignored(int signal) {
  struct sigaction current {};
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

sigset_t HeldSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kQuitSignals)
    if (!Ignored(signal)) sigaddset(&set, signal);
  return set;
}

}  // namespace

void HoldQuitSignals() {
  const sigset_t set = HeldSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int DeliverQuitSignals() {
  if (pipeEnds[0] >= 0) return pipeEnds[0];
  if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
    pipeEnds[0] = pipeEnds[1] = -1;
    return -1;
  }
  const sigset_t set = HeldSignals();
  struct sigaction action {};
  action.sa_handler = WriteSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : kQuitSignals)
    if (sigismember(&set, signal)) sigaction(signal, &action, nullptr);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  return pipeEnds[0];
}

void DefaultQuitSignals() {
  for (const int signal : kQuitSignals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == WriteSignal) ::signal(signal, SIG_DFL);
  }
}

bool TakeQuitSignals(int fd) {
  bool quit = false;
  char bytes[64];
  ssize_t n;
  while ((n = read(fd, bytes, sizeof bytes)) > 0 || (n < 0 && errno == EINTR))
    if (n > 0) quit = true;
  return quit;
}

}  // namespace korvane
