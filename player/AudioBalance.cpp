#include "player/AudioBalance.h"

#include <algorithm>
#include <cstdio>

namespace korvane {

int32_t ClampBalance(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, -100, 100)); }
int32_t ClampVolume(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, 0, 100)); }

void BalanceGains(int32_t balance, double& left, double& right) {
  balance = ClampBalance(balance);
  left = balance > 0 ? (100 - balance) / 100.0 : 1.0;
  right = balance < 0 ? (100 + balance) / 100.0 : 1.0;
}

std::string BalanceFilter(int32_t balance) {
  balance = ClampBalance(balance);
  if (balance == 0) return "";
  double left = 1, right = 1;
  BalanceGains(balance, left, right);
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "@korvane-balance:lavfi=[aformat=channel_layouts=stereo,pan=stereo|c0=%.2f*c0|c1=%.2f*c1]", left, right);
  return buf;
}

std::string AudioFilterChain(int32_t balance, double rate) {
  const std::string balanceFilter = BalanceFilter(balance);
  if (rate == 1.0) return balanceFilter;
  return "@korvane-tempo:scaletempo2" + (balanceFilter.empty() ? "" : "," + balanceFilter);
}

}  // namespace korvane
