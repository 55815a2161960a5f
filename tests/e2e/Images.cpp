#include "tests/e2e/Images.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "harness/KorvaneProcess.h"

namespace korvane::test {

namespace {

std::string Part(const std::string& png, const std::string& region) {
  return region.empty() ? png : png + "[" + region + "]";
}

// The tool's answer, parsed as a number; -1, and a failure of the test, when
// it failed or answered something else.
double Number(const TToolRun& run, bool exitOneIsAnswer = false) {
  char* end = nullptr;
  const double value = std::strtod(run.out.c_str(), &end);
  const bool ran = run.status == 0 || (exitOneIsAnswer && run.status == 1);
  if (ran && end != run.out.c_str() && (*end == '\0' || *end == ' ')) return value;
  ADD_FAILURE() << "ImageMagick failed (" << run.status << "): " << run.out;
  return -1;
}

}  // namespace

std::string ImageSize(const std::string& png) {
  const TToolRun run = RunTool({"identify", "-format", "%wx%h", png});
  if (run.status == 0) return run.out;
  ADD_FAILURE() << "ImageMagick failed (" << run.status << "): " << run.out;
  return "";
}

double Brightest(const std::string& png, const std::string& region) {
  return Number(RunTool({"identify", "-format", "%[fx:maxima]", Part(png, region)}));
}

long DifferingPixels(const std::string& a, const std::string& b, const std::string& region) {
  // compare exits 1 when the images differ, 2 when it failed.
  return static_cast<long>(Number(RunTool({"compare", "-metric", "AE", Part(a, region), Part(b, region), "null:"}), true));
}

std::string MiddleRegion(const std::string& png) {
  const std::string size = ImageSize(png);
  const int width = std::atoi(size.c_str()), height = std::atoi(size.substr(size.find('x') + 1).c_str());
  return std::to_string(width / 2) + "x" + std::to_string(height / 2) + "+" + std::to_string(width / 4) + "+" +
         std::to_string(height / 4);
}

long Colours(const std::string& png, const std::string& region) {
  return static_cast<long>(Number(RunTool({"identify", "-format", "%k", Part(png, region)})));
}

}  // namespace korvane::test
