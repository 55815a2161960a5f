#include "player/PlayerTime.h"

#include <cmath>
#include <cstdio>

namespace korvane {

std::u16string FormatMediaTime(double seconds) { return FormatMediaTime(seconds, false); }

std::u16string FormatMediaTime(double seconds, bool alwaysHours) {
  if (!(seconds > 0)) seconds = 0;  // also NaN
  if (seconds > 359999999.0) seconds = 359999999.0;  // keeps the figures in range
  const auto total = static_cast<long long>(std::floor(seconds));
  const long long h = total / 3600, m = total / 60 % 60, s = total % 60;
  char buf[40];
  if (h > 0 || alwaysHours) {
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", h, m, s);
  } else {
    std::snprintf(buf, sizeof buf, "%02lld:%02lld", m, s);
  }
  std::u16string out;
  for (const char* p = buf; *p; ++p) out += static_cast<char16_t>(*p);
  return out;
}

}  // namespace korvane
