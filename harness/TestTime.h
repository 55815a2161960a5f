#pragma once
// How long a test waits for a state. The test command lets every wait last
// KORVANE_TEST_TIME_FACTOR times as long (the sanitizer tree runs several times
// slower); a wait that is met returns at once all the same.
#include <chrono>

namespace korvane::test {

// The factor, 1 when it is unset or no number above 1.
double TimeFactor();
std::chrono::milliseconds Scaled(std::chrono::milliseconds wait);

}  // namespace korvane::test
