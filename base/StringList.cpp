#include "base/StringList.h"

#include <algorithm>

#include "base/TextCompare.h"

namespace korvane {

size_t TStringList::LowerBound(std::string_view s) const {
  const auto it = std::lower_bound(items_.begin(), items_.end(), s, [](const std::string& item, std::string_view key) {
    return CompareTextIgnoreCase(item, key) < 0;
  });
  return static_cast<size_t>(it - items_.begin());
}

int TStringList::IndexOf(std::string_view s) const {
  if (sorted_) {
    const size_t i = LowerBound(s);
    return (i < items_.size() && SameTextIgnoreCase(items_[i], s)) ? static_cast<int>(i) : -1;
  }
  for (size_t i = 0; i < items_.size(); ++i) {
    if (SameTextIgnoreCase(items_[i], s)) return static_cast<int>(i);
  }
  return -1;
}

int TStringList::Add(std::string s) {
  if (!sorted_) {
    if (ignoreDuplicates_ && IndexOf(s) >= 0) return -1;
    items_.push_back(std::move(s));
    return static_cast<int>(items_.size() - 1);
  }
  const size_t at = LowerBound(s);
  if (ignoreDuplicates_ && at < items_.size() && SameTextIgnoreCase(items_[at], s)) return -1;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(s));
  return static_cast<int>(at);
}

void TStringList::Delete(size_t index) {
  if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace korvane
