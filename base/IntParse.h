#pragma once
// The program's integer parse for ini values and dialog fields.
#include <cstdint>
#include <optional>
#include <string_view>

namespace korvane {

// Leading blanks are skipped; then either an optional sign and decimal digits
// within the signed 32-bit range, or a hexadecimal prefix ("$", "x", "X", "0x",
// "0X") and one to eight hex digits taken as a 32-bit pattern. Nothing may
// follow. Anything else gives no value.
std::optional<int32_t> ParseInt(std::string_view text);

inline int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  return ParseInt(text).value_or(fallback);
}

}  // namespace korvane
