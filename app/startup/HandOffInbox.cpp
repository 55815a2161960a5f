#include "app/startup/HandOffInbox.h"

#include <cstdio>
#include <cstdlib>

#include "app/startup/StartUp.h"
#include "base/CommaText.h"
#include "platform/HandOffMessage.h"

namespace korvane {
namespace {

// Tokens are short printable text; anything else is no token.
std::string ActivationToken(std::string_view data) {
  if (data.size() > 256) return "";
  for (const char c : data)
    if (c <= ' ' || c > '~') return "";
  return std::string(data);
}

}  // namespace

uint32_t AnswerHandOff(uint32_t dwData, std::string_view lpData, TStringList& received, const HandOffTarget& target) {
  if (dwData == kActivateRequest) {
    if (!target.marked) return 0;
    target.raise(ActivationToken(lpData));
    return InstanceMarker;
  }
  if (dwData != InstanceMarker) return 0;
  if (!target.marked) return kHandOffRefused;
  SplitCommaText(lpData.substr(0, lpData.find('\0')), received);
  // KORVANE_TRACE_HANDOFF reports each queued item, for whoever drives the program from outside.
  static const bool trace = std::getenv("KORVANE_TRACE_HANDOFF") != nullptr;
  for (const std::string& path : received) {
    target.queue(path);
    if (trace) std::fprintf(stderr, "hand-off: %s\n", path.c_str());
  }
  return 0;
}

}  // namespace korvane
