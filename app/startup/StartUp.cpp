#include "app/startup/StartUp.h"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/CommaText.h"
#include "platform/HandOffClient.h"
#include "platform/HandOffMessage.h"
#include "platform/InstanceLock.h"

namespace korvane {
namespace {

std::atomic<bool> instanceMarker{false};

// How long a launch waits for the lock between two tries to reach the instance.
constexpr std::chrono::milliseconds kAskAgainAfter{100};

std::string WorkingFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? buffer : "";
}

std::string Absolute(const std::string& path, const std::string& folder) {
  if (path.front() == '/' || folder.empty()) return path;
  return folder.back() == '/' ? folder + path : folder + "/" + path;
}

}  // namespace

bool IsAlreadyRunning(const std::string& name) {
  return AcquireInstanceLock(name) == InstanceLockResult::HeldByOther;
}

void SetInstanceMarker(bool set) { instanceMarker = set; }
bool InstanceMarked() { return instanceMarker; }

std::optional<int> HandOffToRunningInstance(const std::string& name, const std::vector<std::string>& params) {
  if (!IsAlreadyRunning(name)) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + kHandOffTimeout;
  for (;;) {
    if (ActivateRunningInstance(name, params)) return 0;
    // Still starting, the instance does not listen yet; closing, it refuses: this
    // launch asks again until it answers, or takes its place once it has gone.
    if (WaitForInstanceLock(name, kAskAgainAfter)) return std::nullopt;
    if (std::chrono::steady_clock::now() >= deadline) break;
  }
  std::fprintf(stderr, "Korvane: the running instance does not answer; nothing was handed over\n");
  return 1;
}

bool ActivateRunningInstance(const std::string& name, const std::vector<std::string>& params) {
  THandOffClient client(InstanceSocketPath(name), kHandOffTimeout);
  return FindRunningInstanceProc(client) && SendParamsToRunningInstance(client, params);
}

bool WaitForInstanceLock(const std::string& name, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (AcquireInstanceLock(name) == InstanceLockResult::HeldByOther) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

bool FindRunningInstanceProc(THandOffClient& client) {
  // On Wayland only a launch's activation token lets the running window come to the front.
  const char* token = std::getenv("XDG_ACTIVATION_TOKEN");
  return client.Request(kActivateRequest, token ? token : "") == InstanceMarker;
}

bool SendParamsToRunningInstance(THandOffClient& client, const std::vector<std::string>& params) {
  std::string text = HandOffText(params, WorkingFolder());
  if (text.empty()) return true;
  text += '\0';
  return client.Request(InstanceMarker, text) == 0u;
}

std::string HandOffText(const std::vector<std::string>& params, const std::string& folder) {
  std::vector<std::string> paths;
  for (const std::string& param : params)
    if (!param.empty()) paths.push_back(Absolute(param, folder));
  return paths.empty() ? "" : ToCommaText(paths);
}

}  // namespace korvane
