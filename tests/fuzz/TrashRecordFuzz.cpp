// Any path percent-encodes to the characters a trash record's Path key may
// hold, and decodes back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Paths.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // the encoder writes upper-case digits only
}

bool IsUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~' || c == '/';
}

// Decodes as a reader of the record does; aborts on anything but unreserved
// characters and complete escapes.
std::string Decode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      if (!IsUnreserved(text[i])) std::abort();
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) std::abort();
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) std::abort();
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  if (Decode(korvane::PercentEncodePath(path)) != path) std::abort();
  return 0;
}
