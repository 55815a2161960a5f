#pragma once
// A set of file names or extensions: a sorted, duplicate-free string list (the
// order the ini file and the settings dialog show), with a hash of case-folded
// keys beside it so that a lookup never scans the list.
#include <string>
#include <string_view>
#include <unordered_set>

#include "base/StringList.h"

namespace korvane {

class TNameSet {
 public:
  // Adds s unless a string equal to it ignoring case is held; returns its
  // index, or -1 when ignored.
  int Add(std::string s);
  void Clear();
  // True when a string equal to s ignoring case is held.
  bool Contains(std::string_view s) const;

  size_t Count() const { return FList.Count(); }
  bool Empty() const { return FList.Empty(); }
  const std::string& operator[](size_t i) const { return FList[i]; }
  const TStringList& List() const { return FList; }
  auto begin() const { return FList.begin(); }
  auto end() const { return FList.end(); }

 private:
  TStringList FList{true, true};
  std::unordered_set<std::string> FKeys;
};

}  // namespace korvane
