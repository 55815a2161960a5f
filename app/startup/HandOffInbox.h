#pragma once
// What the running instance answers each message of its hand-off endpoint.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/StringList.h"

namespace korvane {

// What a hand-off reaches in the running instance.
struct HandOffTarget {
  bool marked = false;  // the instance is marked: not yet on its way out
  std::function<void(const std::string& activationToken)> raise;
  std::function<void(const std::string& path)> queue;  // hands a path to the search
};

// An activate request calls raise with the launch's activation token (its
// data when that is a plausible token, else "") and answers InstanceMarker
// while the instance is marked; a hand-off (dwData InstanceMarker) of comma
// text, up to its first NUL, is split into received and each item is queued in
// order, and answered 0; once the instance is no longer marked it is refused
// (kHandOffRefused) and nothing is queued. Everything else is answered 0.
uint32_t AnswerHandOff(uint32_t dwData, std::string_view lpData, TStringList& received, const HandOffTarget& target);

}  // namespace korvane
