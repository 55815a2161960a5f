// Sorts 200,000 file paths (a third with a non-ASCII letter) with the program's
// text order, with the C library's strcoll under the same locale and by bytes,
// in the same run; prints each time and the ratios of the text order to both.
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/TextCompare.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> Paths() {
  std::mt19937 random(1);
  std::vector<std::string> paths;
  for (int i = 0; i < 200000; ++i) {
    paths.push_back("/home/user/Videos/Series " + std::to_string(random() % 1000) + "/Episode_" +
                    std::to_string(random()) + (i % 3 ? ".mp4" : " Übersicht.mkv"));
  }
  return paths;
}

template <typename Less>
double SortSeconds(std::vector<std::string> paths, Less less) {
  const auto start = Clock::now();
  std::sort(paths.begin(), paths.end(), less);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
  std::setlocale(LC_COLLATE, "");
  const std::vector<std::string> paths = Paths();
  const double text = SortSeconds(paths, [](const std::string& a, const std::string& b) {
    return korvane::CompareTextIgnoreCase(a, b) < 0;
  });
  const double coll = SortSeconds(paths, [](const std::string& a, const std::string& b) {
    return std::strcoll(a.c_str(), b.c_str()) < 0;
  });
  const double bytes = SortSeconds(paths, [](const std::string& a, const std::string& b) { return a < b; });
  std::printf("text order %.3f s, strcoll (%s) %.3f s, bytes %.3f s\n", text, std::setlocale(LC_COLLATE, nullptr),
              coll, bytes);
  std::printf("ratio text order / strcoll %.2f, text order / bytes %.2f\n", text / coll, text / bytes);
}
