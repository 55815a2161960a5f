#include "tests/e2e/Images.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/e2e/KorvaneProcess.h"

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

std::string RegionOfColour(const std::string& png, const std::string& colour, bool apart) {
  // A frame of the colour makes it the background that the bounding box leaves out.
  std::vector<std::string> command{"convert", png};
  if (!apart) {
    for (const char* step : {"-fill", "black", "+opaque"}) command.push_back(step);
    command.push_back(colour);
    for (const char* step : {"-fill", "white", "-opaque"}) command.push_back(step);
    command.push_back(colour);
  }
  for (const char* step : {"-bordercolor", apart ? colour.c_str() : "black", "-border", "1", "-format", "%@", "info:"})
    command.push_back(step);
  // Nothing found comes with a warning on stderr.
  const TToolRun run = RunTool(command, false);
  int width = 0, height = 0, x = 0, y = 0;
  if (run.status != 0 || std::sscanf(run.out.c_str(), "%dx%d+%d+%d", &width, &height, &x, &y) != 4) {
    ADD_FAILURE() << "ImageMagick failed (" << run.status << "): " << run.out;
    return "";
  }
  if (width <= 1 || height <= 1) return "";
  return std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x - 1) + "+" +
         std::to_string(y - 1);
}

bool CropTo(const std::string& png, const std::string& region) {
  const TToolRun run = RunTool({"convert", png, "-crop", region, "+repage", png});
  if (run.status != 0) ADD_FAILURE() << "ImageMagick failed (" << run.status << "): " << run.out;
  return run.status == 0;
}

}  // namespace korvane::test
