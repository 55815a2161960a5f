#pragma once
// The properties module's plain parts: the names of the player's published
// state numbers, and the report lines the properties dialog shows.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "player/Player.h"

namespace korvane {

// Indexed by WMPPlayState / WMPOpenState.
extern const std::array<const char*, 11> PlayStateNames;
extern const std::array<const char*, 22> OpenStateNames;

// The table's name, or "Unknown" for a number outside it.
std::string PlayStateName(int32_t state);
std::string OpenStateName(int32_t state);

// The properties report, one page each, one "name\tvalue" line per value, as
// the player answers at the moment of the call. Each appends to lines; a query
// the player fails throws its TPlayerError, with the lines before it appended.
void ReportSettingsLines(IWMPCore& player, std::vector<std::string>& lines);
// "No Media" alone without a media; else its picture size, name and source,
// then every attribute in the player's own order.
void ReportMediaLines(IWMPCore& player, std::vector<std::string>& lines);
void ReportControlsLines(IWMPCore& player, std::vector<std::string>& lines);

}  // namespace korvane
