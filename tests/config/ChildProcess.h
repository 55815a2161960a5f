#pragma once
// Runs a check in a forked child, for what the test process itself must not
// change: its user (to meet permission checks as root) or its mounts.
#include <sys/mount.h>
#include <sys/wait.h>
#include <sched.h>
#include <unistd.h>

#include <functional>

namespace korvane::test {

// The child's exit code: what body returns, or 127 when it died.
inline int RunInChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 127;
}

// Drops to the unprivileged user "nobody"; false when that is not possible.
inline bool BecomeNobody() { return ::setgid(65534) == 0 && ::setuid(65534) == 0; }

// Gives the calling process mounts of its own, gone when it ends.
inline bool PrivateMounts() {
  return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// Exit codes with a meaning for the tests.
constexpr int kChildSkip = 77;

}  // namespace korvane::test
