#include "base/TextCompare.h"

#include <unicode/ucasemap.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cstdlib>

namespace korvane {
namespace {

// The ICU locale whose collation the user chose: LC_ALL, LC_COLLATE or LANG,
// the first one set, as the C library picks it. "C" and "POSIX" are the root.
std::string UserCollationLocale() {
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    name = std::getenv(variable);
    if (name && *name) break;
  }
  std::string locale = name ? name : "";
  locale.resize(std::min(locale.find_first_of(".@"), locale.size()));  // "sv_SE.UTF-8@euro" is "sv_SE"
  return locale == "C" || locale == "POSIX" ? "" : locale;
}

// What each thread needs to compare texts: ICU objects are not shared between
// threads, and opening a collator costs far more than a comparison.
struct Collation {
  UCollator* collator = nullptr;
  UCaseMap* caseMap = nullptr;
  std::string foldedA, foldedB;  // reused buffers

  Collation() {
    UErrorCode status = U_ZERO_ERROR;
    collator = ucol_open(UserCollationLocale().c_str(), &status);
    if (U_FAILURE(status)) {
      ucol_close(collator);
      collator = nullptr;
    } else {
      ucol_setStrength(collator, UCOL_SECONDARY);  // accents count, letter case does not
    }
    status = U_ZERO_ERROR;
    caseMap = ucasemap_open("", U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) caseMap = nullptr;
  }
  ~Collation() {
    ucol_close(collator);
    ucasemap_close(caseMap);
  }
  Collation(const Collation&) = delete;
  Collation& operator=(const Collation&) = delete;
};

Collation& ThreadCollation() {
  thread_local Collation collation;
  return collation;
}

// ASCII letters of s lowered into out, eight bytes at a time (most names are
// ASCII, and the sort folds both texts of every comparison); false when s
// holds other bytes, which need the full folding.
bool FoldAscii(std::string_view s, std::string& out) {
  constexpr uint64_t kEach = 0x0101010101010101u;
  out.resize(s.size());
  char* to = out.data();
  uint64_t seen = 0;
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t x = 0;
    std::memcpy(&x, s.data() + i, 8);
    seen |= x;
    const uint64_t low = x & (0x7F * kEach);
    const uint64_t upper = (low + (0x80 - 'A') * kEach) & ~(low + (0x80 - 'Z' - 1) * kEach) & ~x & (0x80 * kEach);
    x |= upper >> 2;  // 0x20 into each upper-case letter
    std::memcpy(to + i, &x, 8);
  }
  for (; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    seen |= c;
    to[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  }
  return (seen & (0x80 * kEach)) == 0;
}

// Full case folding of s into out ("ß" and "SS" both give "ss"); bytes that
// are not valid UTF-8 stay as they are.
void FoldInto(const UCaseMap* caseMap, std::string_view s, std::string& out) {
  if (FoldAscii(s, out) || !caseMap || s.size() > INT32_MAX / 4) return;
  // Folding rarely more than triples the bytes; when it does, ICU tells the size.
  out.resize(s.size() * 3);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucasemap_utf8FoldCase(caseMap, out.data(), static_cast<int32_t>(out.size()), s.data(),
                                    static_cast<int32_t>(s.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<size_t>(n));
    status = U_ZERO_ERROR;
    n = ucasemap_utf8FoldCase(caseMap, out.data(), n, s.data(), static_cast<int32_t>(s.size()), &status);
  }
  if (U_FAILURE(status)) {
    out.assign(s);
    return;
  }
  out.resize(static_cast<size_t>(n));
}

int Sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

std::string FoldCaseKey(std::string_view s) {
  std::string key;
  FoldInto(ThreadCollation().caseMap, s, key);
  return key;
}

// The collator orders the folded texts; texts it finds equal (also those that
// differ only in width or kana, or in invalid bytes) are told apart by their
// folded bytes, so that equal means equal keys.
int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  if (a == b) return 0;
  Collation& c = ThreadCollation();
  FoldInto(c.caseMap, a, c.foldedA);
  FoldInto(c.caseMap, b, c.foldedB);
  if (c.collator) {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult order =
        ucol_strcollUTF8(c.collator, c.foldedA.data(), static_cast<int32_t>(std::min<size_t>(c.foldedA.size(), INT32_MAX)),
                         c.foldedB.data(), static_cast<int32_t>(std::min<size_t>(c.foldedB.size(), INT32_MAX)), &status);
    if (U_SUCCESS(status) && order != UCOL_EQUAL) return order;
  }
  return Sign(c.foldedA.compare(c.foldedB));
}

}  // namespace korvane
