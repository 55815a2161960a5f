#pragma once
// The balance of the control (-100 left .. 100 right) and the pitch kept at
// another speed, as mpv audio filters.
#include <cstdint>
#include <string>

namespace korvane {

int32_t ClampBalance(int64_t value);
int32_t ClampVolume(int64_t value);
// Left and right gains, 1 for the side the balance leans to, the other side
// falling linearly to 0 at the end of the range.
void BalanceGains(int32_t balance, double& left, double& right);
// The value of mpv's "af" property for the balance: "" at 0 (no filter), else a
// lavfi pan filter over a stereo downmix with the two gains.
std::string BalanceFilter(int32_t balance);
// The whole "af" value: at a rate other than 1 a scaletempo2 filter first,
// which keeps the pitch, then the balance filter.
std::string AudioFilterChain(int32_t balance, double rate);

}  // namespace korvane
