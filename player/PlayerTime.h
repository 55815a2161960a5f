#pragma once
// Time texts of the player: "MM:SS", or "HH:MM:SS" from an hour on.
#include <string>

namespace korvane {

// Whole seconds, cut (not rounded) as the control shows a running clock;
// negative or not-a-number is 00:00, minutes run past 59 only into hours.
std::u16string FormatMediaTime(double seconds);
// The same, with hours also below an hour when alwaysHours ("00:01:23").
std::u16string FormatMediaTime(double seconds, bool alwaysHours);

}  // namespace korvane
