#include "base/TextCompare.h"

#include "base/Utf.h"

namespace korvane {
namespace {

// A malformed byte becomes a code beyond Unicode so that it sorts last.
constexpr char32_t kRawByteBase = 0x110000;

// Decodes one character at s[i] and advances i.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  char32_t cp = 0;
  const size_t len = DecodeUtf8(s, i, cp);
  if (len == 0) return kRawByteBase + static_cast<unsigned char>(s[i++]);
  i += len;
  return cp;
}

// Simple case folding for the scripts file names commonly use.
char32_t FoldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0x80) return c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;                 // Latin-1
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138) {  // Latin Extended-A
    const bool oddLower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddLower) return (c % 2 == 1) ? c + 1 : c;
    return (c % 2 == 0) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;              // full-width Latin
  return c;
}


}  // namespace

std::string FoldCaseKey(std::string_view s) {
  std::string key;
  key.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const char32_t c = NextCodePoint(s, i);
    if (c >= kRawByteBase) {
      key += static_cast<char>(c - kRawByteBase);
    } else {
      AppendUtf8(key, FoldCase(c));
    }
  }
  return key;
}

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t ca = FoldCase(NextCodePoint(a, i));
    const char32_t cb = FoldCase(NextCodePoint(b, j));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace korvane
