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

}  // namespace korvane
