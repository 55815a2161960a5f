#pragma once
// Case-insensitive, locale-aware ordering of 8-bit (UTF-8) texts, used by every
// sorted string list of the program.
#include <string>
#include <string_view>

namespace korvane {

// Negative, zero or positive as a sorts before, equal to or after b, ignoring
// letter case. Bytes that are not valid UTF-8 order after every character and
// compare by value, so any name still has a stable place.
int CompareTextIgnoreCase(std::string_view a, std::string_view b);

inline bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
  return CompareTextIgnoreCase(a, b) == 0;
}

// The text with every letter folded the way CompareTextIgnoreCase folds it, so
// that two texts compare equal exactly when their keys are equal bytes: a key
// for hashed case-insensitive lookups. Malformed bytes are kept as they are.
std::string FoldCaseKey(std::string_view s);

}  // namespace korvane
