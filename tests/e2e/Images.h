#pragma once
// ImageMagick's view of the program's screenshots. A tool that fails fails the
// running test: no answer stands in for "black" or "differs". A region is
// "WxH+X+Y"; "" is the whole image.
#include <string>

namespace korvane::test {

// "<w>x<h>"; "" on failure.
std::string ImageSize(const std::string& png);
// The brightest channel value in the region, 0..1; -1 on failure.
double Brightest(const std::string& png, const std::string& region);
// The number of pixels that differ between the two images' regions; -1 on failure.
long DifferingPixels(const std::string& a, const std::string& b, const std::string& region = "");
// The middle of the image, half its width and half its height: inside the
// program's picture in a screenshot of its window.
std::string MiddleRegion(const std::string& png);
// The number of distinct colours in the region; -1 on failure.
long Colours(const std::string& png, const std::string& region);

}  // namespace korvane::test
