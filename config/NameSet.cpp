#include "config/NameSet.h"

#include "base/TextCompare.h"

namespace korvane {

int TNameSet::Add(std::string s) {
  std::string key = FoldCaseKey(s);
  if (keys_.contains(key)) return -1;
  const int at = list_.Add(std::move(s));
  if (at >= 0) keys_.insert(std::move(key));
  return at;
}

void TNameSet::Clear() {
  list_.Clear();
  keys_.clear();
}

bool TNameSet::Contains(std::string_view s) const {
  return !keys_.empty() && keys_.contains(FoldCaseKey(s));
}

}  // namespace korvane
