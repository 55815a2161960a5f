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
    : FUrl(std::move(url)), FPath(std::move(path)), FName(ToWide(FileNameWithoutExtension(FPath))) {}

std::u16string TMpvMedia::durationString() { return FormatMediaTime(duration()); }

std::u16string TMpvMedia::getAttributeName(int32_t index) { return ToWide(FAttributes.Name(index)); }

std::u16string TMpvMedia::getItemInfo(const std::u16string& attributeName) {
  return ToWide(FAttributes.Value(ToNarrow(attributeName)));
}

void TMpvMedia::SetFacts(MediaFacts facts) {
  FFacts = std::move(facts);
  FName = ToWide(MediaDisplayName(FPath, FFacts.tags));
  FAttributes = TMediaAttributes(FFacts);
}

bool TMpvMedia::SetPictureSize(int64_t width, int64_t height) {
  if (FFacts.width > 0 || width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
  FFacts.width = static_cast<int32_t>(width);
  FFacts.height = static_cast<int32_t>(height);
  FAttributes = TMediaAttributes(FFacts);
  return true;
}

void TMpvMedia::SetDuration(double seconds) {
  if (seconds > 0 && std::isfinite(seconds)) FFacts.duration = seconds;
}

}  // namespace korvane
