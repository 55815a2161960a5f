#pragma once
// Case-insensitive, locale-aware ordering of 8-bit (UTF-8) texts, used by every
// sorted string list of the program.
#include <string>
#include <string_view>

namespace korvane {

// Negative, zero or positive as a sorts before, equal to or after b in the
// collation of the user's locale (LC_ALL, LC_COLLATE, LANG), ignoring letter
// case. Texts the collation finds equal but whose case-folded bytes differ
// (width, kana, invalid bytes) are ordered by those bytes, so equal means
// equal FoldCaseKey. Bytes that are not valid UTF-8 order after every
// character, so any name still has a stable place.
int CompareTextIgnoreCase(std::string_view a, std::string_view b);

inline bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
  return CompareTextIgnoreCase(a, b) == 0;
}

// The text under Unicode's full case folding, as CompareTextIgnoreCase folds
// it, so that two texts compare equal exactly when their keys are equal bytes:
// a key for hashed case-insensitive lookups. Malformed bytes are kept as they are.
std::string FoldCaseKey(std::string_view s);

}  // namespace korvane
