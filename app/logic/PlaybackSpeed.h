#pragma once
// The playback speed commands: faster and slower through fixed steps, and back
// to normal. The speed is the player's rate, which holds from file to file and
// is not kept between runs.
#include <string>

#include "player/Player.h"

namespace korvane {

inline constexpr double kSpeedSteps[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};

// The next step above / below rate; the top or bottom step stays where it is.
// A rate between steps goes to the nearest step in that direction.
double FasterSpeed(double rate);
double SlowerSpeed(double rate);
// Status panel 2's text when no search hint is shown: "×1.50", "" at normal speed.
std::string SpeedText(double rate);

// A positive direction (a menu item's Tag) goes one step faster, a negative
// one step slower, 0 back to normal. With or without media, as the volume.
void ChangeSpeed(IWMPCore& player, int direction);

}  // namespace korvane
