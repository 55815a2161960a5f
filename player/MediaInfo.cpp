#include "player/MediaInfo.h"

#include <cstdio>

#include "base/AsciiText.h"
#include "base/Paths.h"

namespace korvane {

namespace {

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

bool Blank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

const std::string kEmpty;

}  // namespace

void TMediaAttributes::Add(std::string name, std::string value) {
  std::string key = AsciiLower(name);
  if (FIndex.count(key)) {
    // A tag named like a fact or like an earlier tag stays reachable under a prefixed name.
    for (int n = 1;; ++n) {
      std::string alt = "Tag" + (n > 1 ? std::to_string(n) : std::string()) + "." + name;
      if (!FIndex.count(AsciiLower(alt))) {
        name = alt;
        key = AsciiLower(alt);
        break;
      }
    }
  }
  FIndex.emplace(key, FItems.size());
  FItems.emplace_back(std::move(name), std::move(value));
}

TMediaAttributes::TMediaAttributes(const MediaFacts& f) {
  // Facts: always present, in this order, so reports line up from file to file.
  Add("FileSize", f.fileSize >= 0 ? std::to_string(f.fileSize) : "");
  Add("FileType", f.fileType);
  Add("Duration", f.duration > 0 ? Fixed(f.duration, 3) : "");
  Add("Bitrate", f.bitrate > 0 ? std::to_string(f.bitrate) : "");
  Add("Width", f.width > 0 ? std::to_string(f.width) : "");
  Add("Height", f.height > 0 ? std::to_string(f.height) : "");
  Add("FrameRate", f.frameRate > 0 ? Fixed(f.frameRate, 3) : "");
  Add("VideoCodec", f.videoCodec);
  Add("VideoBitrate", f.videoBitrate > 0 ? std::to_string(f.videoBitrate) : "");
  Add("AudioCodec", f.audioCodec);
  Add("AudioChannels", f.audioChannels > 0 ? std::to_string(f.audioChannels) : "");
  Add("AudioSampleRate", f.audioSampleRate > 0 ? std::to_string(f.audioSampleRate) : "");
  Add("AudioBitrate", f.audioBitrate > 0 ? std::to_string(f.audioBitrate) : "");
  // Tags: every one, under the container's own key.
  for (const auto& [key, value] : f.tags) Add(key.empty() ? "Tag." : key, value);
}

const std::string& TMediaAttributes::Name(int32_t index) const {
  if (index < 0 || index >= count()) return kEmpty;
  return FItems[static_cast<size_t>(index)].first;
}

const std::string& TMediaAttributes::Value(const std::string& name) const {
  const auto it = FIndex.find(AsciiLower(name));
  return it == FIndex.end() ? kEmpty : FItems[it->second].second;
}

std::string FileNameWithoutExtension(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const std::string stem = StripFileExt(name);
  return stem.empty() ? name : stem;  // ".hidden" keeps its name
}

std::string MediaDisplayName(const std::string& path, const std::vector<std::pair<std::string, std::string>>& tags) {
  for (const auto& [key, value] : tags) {
    if (AsciiLower(key) == "title" && !Blank(value)) return value;
  }
  return FileNameWithoutExtension(path);
}

}  // namespace korvane
