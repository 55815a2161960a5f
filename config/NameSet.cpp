#include "config/NameSet.h"

#include "base/TextCompare.h"

namespace korvane {

int TNameSet::Add(std::string s) {
  std::string key = FoldCaseKey(s);
  if (FKeys.contains(key)) return -1;
  const int at = FList.Add(std::move(s));
  if (at >= 0) FKeys.insert(std::move(key));
  return at;
}

void TNameSet::Clear() {
  FList.Clear();
  FKeys.clear();
}

bool TNameSet::Contains(std::string_view s) const {
  return !FKeys.empty() && FKeys.contains(FoldCaseKey(s));
}

}  // namespace korvane
