#include "base/StringList.h"

#include <algorithm>

#include "base/TextCompare.h"

namespace korvane {
namespace {

// The sorted lists' order: the text order, then bytes among strings equal ignoring case.
int CompareSorted(std::string_view a, std::string_view b) {
  const int text = CompareTextIgnoreCase(a, b);
  return text != 0 ? text : a.compare(b);
}

}  // namespace

size_t TStringList::LowerBound(std::string_view s, bool ignoringCase) const {
  const auto it = std::lower_bound(items_.begin(), items_.end(), s, [ignoringCase](const std::string& item, std::string_view key) {
    return (ignoringCase ? CompareTextIgnoreCase(item, key) : CompareSorted(item, key)) < 0;
  });
  return static_cast<size_t>(it - items_.begin());
}

int TStringList::IndexOf(std::string_view s) const {
  if (sorted_) {
    const size_t i = LowerBound(s);
    return (i < items_.size() && items_[i] == s) ? static_cast<int>(i) : -1;
  }
  const auto it = std::find(items_.begin(), items_.end(), s);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TStringList::IndexOfSameText(std::string_view s) const {
  const size_t i = LowerBound(s, true);
  return (i < items_.size() && SameTextIgnoreCase(items_[i], s)) ? static_cast<int>(i) : -1;
}

int TStringList::Add(std::string s) {
  if (!sorted_) {
    if (ignoreDuplicates_ && IndexOf(s) >= 0) return -1;
    items_.push_back(std::move(s));
    return static_cast<int>(items_.size() - 1);
  }
  const size_t at = LowerBound(s);
  if (ignoreDuplicates_ && at < items_.size() && items_[at] == s) return -1;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(s));
  return static_cast<int>(at);
}

void TStringList::Delete(size_t index) {
  if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace korvane
