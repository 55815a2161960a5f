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
  const auto it = std::lower_bound(FItems.begin(), FItems.end(), s, [ignoringCase](const std::string& item, std::string_view key) {
    return (ignoringCase ? CompareTextIgnoreCase(item, key) : CompareSorted(item, key)) < 0;
  });
  return static_cast<size_t>(it - FItems.begin());
}

int TStringList::IndexOf(std::string_view s) const {
  if (FSorted) {
    const size_t i = LowerBound(s);
    return (i < FItems.size() && FItems[i] == s) ? static_cast<int>(i) : -1;
  }
  const auto it = std::find(FItems.begin(), FItems.end(), s);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TStringList::IndexOfSameText(std::string_view s) const {
  const size_t i = LowerBound(s, true);
  return (i < FItems.size() && SameTextIgnoreCase(FItems[i], s)) ? static_cast<int>(i) : -1;
}

int TStringList::Add(std::string s) {
  if (!FSorted) {
    if (FIgnoreDuplicates && IndexOf(s) >= 0) return -1;
    FItems.push_back(std::move(s));
    return static_cast<int>(FItems.size() - 1);
  }
  const size_t at = LowerBound(s);
  if (FIgnoreDuplicates && at < FItems.size() && FItems[at] == s) return -1;
  FItems.insert(FItems.begin() + static_cast<std::ptrdiff_t>(at), std::move(s));
  return static_cast<int>(at);
}

void TStringList::Delete(size_t index) {
  if (index < FItems.size()) FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace korvane
