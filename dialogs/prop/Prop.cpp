#include "dialogs/prop/Prop.h"

#include "base/Format.h"
#include "base/Utf.h"

namespace korvane {

const std::array<const char*, 11> PlayStateNames = {
    "Undefined", "Stopped",   "Paused",     "Playing",       "ScanForward", "ScanReverse",
    "Buffering", "Waiting",   "MediaEnded", "Transitioning", "Ready",
};

const std::array<const char*, 22> OpenStateNames = {
    "Undefined",
    "PlaylistChanging",
    "PlaylistLocating",
    "PlaylistConnecting",
    "PlaylistLoading",
    "PlaylistOpening",
    "PlaylistOpenNoMedia",
    "PlaylistChanged",
    "MediaChanging",
    "MediaLocating",
    "MediaConnecting",
    "MediaLoading",
    "MediaOpening",
    "MediaOpen",
    "BeginCodecAcquisition",
    "EndCodecAcquisition",
    "BeginLicenseAcquisition",
    "EndLicenseAcquisition",
    "BeginIndividualization",
    "EndIndividualization",
    "MediaWaiting",
    "OpeningUnknownURL",
};

namespace {

template <size_t N>
std::string NameIn(const std::array<const char*, N>& table, int32_t state) {
  if (state < 0 || static_cast<size_t>(state) >= N) return "Unknown";
  return table[static_cast<size_t>(state)];
}

}  // namespace

std::string PlayStateName(int32_t state) { return NameIn(PlayStateNames, state); }
std::string OpenStateName(int32_t state) { return NameIn(OpenStateNames, state); }

namespace {

const char* OnOff(bool value) { return value ? "ON" : "OFF"; }
const char* OkNg(bool value) { return value ? "OK" : "NG"; }

}  // namespace

void ReportSettingsLines(IWMPCore& player, std::vector<std::string>& lines) {
  lines.push_back(Format("%s.versionInfo\t%s", {player.className(), ToNarrow(player.versionInfo())}));
  IWMPSettings& s = player.settings();
  lines.push_back(Format("IWMPSettings.autoStart\t%s", {OnOff(s.autoStart())}));
  lines.push_back(Format("IWMPSettings.balance(-100..100)\t%d", {s.balance()}));
  lines.push_back(Format("IWMPSettings.baseURL\t%s", {ToNarrow(s.baseURL())}));
  lines.push_back(Format("IWMPSettings.defaultFrame\t%s", {ToNarrow(s.defaultFrame())}));
  lines.push_back(Format("IWMPSettings.enableErrorDialogs\t%s", {OnOff(s.enableErrorDialogs())}));
  lines.push_back(Format("IWMPSettings.invokeURLs\t%s", {OnOff(s.invokeURLs())}));
  lines.push_back(Format("IWMPSettings.mute\t%s", {OnOff(s.mute())}));
  lines.push_back(Format("IWMPSettings.playCount\t%d", {s.playCount()}));
  lines.push_back(Format("IWMPSettings.rate\t%f", {s.rate()}));
  lines.push_back(Format("IWMPSettings.isAvailable['Rate']\t%s", {OkNg(s.isAvailable(u"Rate"))}));
  lines.push_back(Format("IWMPSettings.volume\t%d", {s.volume()}));
  lines.push_back(Format("IWMPSettings.getMode('loop')\t%s", {OnOff(s.getMode(u"loop"))}));
  lines.push_back(Format("IWMPSettings.getMode('shuffle')\t%s", {OnOff(s.getMode(u"shuffle"))}));
}

void ReportMediaLines(IWMPCore& player, std::vector<std::string>& lines) {
  const std::shared_ptr<IWMPMedia> media = player.currentMedia();
  if (!media) {
    lines.push_back("No Media");
    return;
  }
  lines.push_back(Format("IWMPMedia.imageSourceWidth\t%d", {media->imageSourceWidth()}));
  lines.push_back(Format("IWMPMedia.imageSourceHeight\t%d", {media->imageSourceHeight()}));
  lines.push_back(Format("IWMPMedia.name\t%s", {ToNarrow(media->name())}));
  lines.push_back(Format("IWMPMedia.sourceURL\t%s", {ToNarrow(media->sourceURL())}));
  const int32_t count = media->attributeCount();
  for (int32_t i = 0; i < count; ++i) {
    const std::u16string name = media->getAttributeName(i);
    lines.push_back(Format("IWMPMedia.%s\t%s", {ToNarrow(name), ToNarrow(media->getItemInfo(name))}));
  }
}

void ReportControlsLines(IWMPCore& player, std::vector<std::string>& lines) {
  static const char16_t* const kNames[] = {u"Play", u"Pause", u"Stop", u"FastForward", u"FastReverse",
                                           u"Next", u"Previous", u"CurrentPosition"};
  IWMPControls& c = player.controls();
  for (const char16_t* name : kNames) {
    lines.push_back(Format("IWMPControls.isAvailable['%s']\t%s", {ToNarrow(name), OkNg(c.isAvailable(name))}));
  }
}

}  // namespace korvane
