#include "app/StartUp.h"

#include <unistd.h>

#include <atomic>
#include <climits>

#include "base/CommaText.h"
#include "base/StringList.h"
#include "platform/HandOffClient.h"
#include "platform/HandOffMessage.h"
#include "platform/InstanceLock.h"

namespace korvane {
namespace {

std::atomic<bool> instanceMarker{false};

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

std::string HandOffSocketPath(const std::string& name) { return InstanceSocketPath(name); }

void ActivateRunningInstance(const std::string& name, const std::vector<std::string>& params) {
  THandOffClient client(HandOffSocketPath(name), kHandOffTimeout);
  if (FindRunningInstanceProc(client)) SendParamsToRunningInstance(client, params);
}

bool FindRunningInstanceProc(THandOffClient& client) {
  return client.Request(kActivateRequest, "") == InstanceMarker;
}

void SendParamsToRunningInstance(THandOffClient& client, const std::vector<std::string>& params) {
  std::string text = HandOffText(params, WorkingFolder());
  if (text.empty()) return;
  text += '\0';
  client.Request(InstanceMarker, text);
}

std::string HandOffText(const std::vector<std::string>& params, const std::string& folder) {
  TStringList list;
  for (const std::string& param : params)
    if (!param.empty()) list.Add(Absolute(param, folder));
  return list.Empty() ? "" : ToCommaText(list);
}

}  // namespace korvane
