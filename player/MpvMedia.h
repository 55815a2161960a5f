#pragma once
// The media of the libmpv player: its URL and path, and the facts the engine
// read of the file once it was loaded.
#include <cstdint>
#include <string>

#include "player/MediaInfo.h"
#include "player/Player.h"

namespace korvane {

// The path as the engine is given it: relative paths taken from the working folder.
std::string AbsoluteMediaPath(const std::string& path);

class TMpvMedia : public IWMPMedia {
 public:
  TMpvMedia(std::u16string url, std::string path);
  std::u16string name() override { return FName; }
  std::u16string sourceURL() override { return FUrl; }
  double duration() override { return FFacts.duration > 0 ? FFacts.duration : 0; }
  std::u16string durationString() override;
  int32_t imageSourceWidth() override { return FFacts.width; }
  int32_t imageSourceHeight() override { return FFacts.height; }
  int32_t attributeCount() override { return FAttributes.count(); }
  std::u16string getAttributeName(int32_t index) override;
  std::u16string getItemInfo(const std::u16string& attributeName) override;

  const std::string& Path() const { return FPath; }
  void SetFacts(MediaFacts facts);
  void SetDuration(double seconds);
  // Fills in a picture size the container did not declare; true when it changed.
  bool SetPictureSize(int64_t width, int64_t height);

 private:
  std::u16string FUrl;
  std::string FPath;
  std::u16string FName;
  MediaFacts FFacts;
  TMediaAttributes FAttributes;
};

}  // namespace korvane
