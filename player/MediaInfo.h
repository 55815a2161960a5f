#pragma once
// What the player reports of one media, without mpv: its name and its
// attributes (container and stream facts, then every tag), under stable names.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace korvane {

// Facts as the engine gives them; empty text or a value <= 0 means unknown.
struct MediaFacts {
  std::string path;          // the file as opened (8-bit, as the file system has it)
  int64_t fileSize = -1;
  std::string fileType;      // container, e.g. "mov,mp4,m4a,3gp,3g2,mj2"
  double duration = 0;
  int64_t bitrate = 0;       // bits per second of the whole file
  int32_t width = 0;
  int32_t height = 0;
  double frameRate = 0;
  std::string videoCodec;
  std::string audioCodec;
  int32_t audioChannels = 0;
  int32_t audioSampleRate = 0;
  int32_t audioBitrate = 0;
  int32_t videoBitrate = 0;
  std::vector<std::pair<std::string, std::string>> tags;  // in the container's order
};

class TMediaAttributes {
 public:
  TMediaAttributes() = default;
  explicit TMediaAttributes(const MediaFacts& facts);

  int32_t count() const { return static_cast<int32_t>(FItems.size()); }
  // "" for an index out of range.
  const std::string& Name(int32_t index) const;
  // The value of the attribute of that name, compared without regard to ASCII case; "" when absent.
  const std::string& Value(const std::string& name) const;

 private:
  void Add(std::string name, std::string value);
  std::vector<std::pair<std::string, std::string>> FItems;
  std::unordered_map<std::string, size_t> FIndex;  // lower-case name -> position
};

// The name the media is shown by: the title tag when it has a non-blank one,
// else the file name without its folder and its last extension.
std::string MediaDisplayName(const std::string& path, const std::vector<std::pair<std::string, std::string>>& tags);
std::string FileNameWithoutExtension(const std::string& path);

}  // namespace korvane
