#include "player/MpvMedia.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>

#include "base/Utf.h"
#include "player/PlayerTime.h"

namespace korvane {

std::string AbsoluteMediaPath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

TMpvMedia::TMpvMedia(std::u16string url, std::string path)
    : url_(std::move(url)), path_(std::move(path)), name_(ToWide(FileNameWithoutExtension(path_))) {}

std::u16string TMpvMedia::durationString() { return FormatMediaTime(duration()); }

std::u16string TMpvMedia::getAttributeName(int32_t index) { return ToWide(attributes_.name(index)); }

std::u16string TMpvMedia::getItemInfo(const std::u16string& attributeName) {
  return ToWide(attributes_.value(ToNarrow(attributeName)));
}

void TMpvMedia::SetFacts(MediaFacts facts) {
  facts_ = std::move(facts);
  name_ = ToWide(MediaDisplayName(path_, facts_.tags));
  attributes_ = MediaAttributes(facts_);
}

bool TMpvMedia::SetPictureSize(int64_t width, int64_t height) {
  if (facts_.width > 0 || width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
  facts_.width = static_cast<int32_t>(width);
  facts_.height = static_cast<int32_t>(height);
  attributes_ = MediaAttributes(facts_);
  return true;
}

void TMpvMedia::SetDuration(double seconds) {
  if (seconds > 0 && std::isfinite(seconds)) facts_.duration = seconds;
}

}  // namespace korvane
