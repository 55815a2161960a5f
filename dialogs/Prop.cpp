#include "dialogs/Prop.h"

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

}  // namespace korvane
