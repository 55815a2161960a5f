#include "harness/TestTime.h"

#include <cstdlib>

namespace korvane::test {

double TimeFactor() {
  const char* text = std::getenv("KORVANE_TEST_TIME_FACTOR");
  const double factor = text ? std::atof(text) : 1;
  return factor > 1 ? factor : 1;
}

std::chrono::milliseconds Scaled(std::chrono::milliseconds wait) {
  return std::chrono::milliseconds(static_cast<long long>(static_cast<double>(wait.count()) * TimeFactor()));
}

}  // namespace korvane::test
