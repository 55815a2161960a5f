// The least a later launch can do: connect to the running instance's hand-off
// socket, ask it to the front and send it one path (one with no character the
// comma text quotes), then end. bench_launch times it beside the front.
#include <chrono>
#include <string>

#include "app/startup/StartUp.h"
#include "platform/HandOffClient.h"
#include "platform/HandOffMessage.h"
#include "platform/InstanceLock.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  korvane::THandOffClient client(korvane::InstanceSocketPath(korvane::InstanceGuid), korvane::kHandOffTimeout);
  if (client.Request(korvane::kActivateRequest, "") != korvane::InstanceMarker) return 1;
  return client.Request(korvane::InstanceMarker, std::string(argv[1]) + '\0') == 0u ? 0 : 1;
}
