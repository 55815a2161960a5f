#pragma once
// The program's string list: ordered strings, optionally kept sorted with the
// case-insensitive text order, optionally ignoring an added duplicate. A
// duplicate is a string of equal bytes: the lists hold paths, and on this
// system `Clip.mp4` and `clip.mp4` are two files.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class TStringList {
 public:
  TStringList() = default;
  // sorted: keep the strings in CompareTextIgnoreCase order, strings equal
  // ignoring case next to each other in byte order.
  // ignoreDuplicates: adding a string of the same bytes as one held does
  // nothing; for an unsorted list this costs a linear search.
  TStringList(bool sorted, bool ignoreDuplicates) : FSorted(sorted), FIgnoreDuplicates(ignoreDuplicates) {}

  // Adds s (at its sorted place or at the end); returns its index, or -1 when ignored.
  int Add(std::string s);
  // Index of a string of the same bytes as s, or -1.
  int IndexOf(std::string_view s) const;
  // Sorted lists: the index of the first string equal to s ignoring case
  // (the others follow it), or -1.
  int IndexOfSameText(std::string_view s) const;
  bool Contains(std::string_view s) const { return IndexOf(s) >= 0; }
  void Delete(size_t index);
  void Clear() { FItems.clear(); }

  size_t Count() const { return FItems.size(); }
  bool Empty() const { return FItems.empty(); }
  const std::string& operator[](size_t i) const { return FItems[i]; }
  const std::vector<std::string>& Items() const { return FItems; }
  std::vector<std::string>::const_iterator begin() const { return FItems.begin(); }
  std::vector<std::string>::const_iterator end() const { return FItems.end(); }

  bool Sorted() const { return FSorted; }

 private:
  // First index whose string does not sort before s; ignoringCase: before s
  // ignoring case.
  size_t LowerBound(std::string_view s, bool ignoringCase = false) const;

  std::vector<std::string> FItems;
  bool FSorted = false;
  bool FIgnoreDuplicates = false;
};

}  // namespace korvane
