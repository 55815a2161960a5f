#pragma once
// What the media list tells the player about the entries around the current
// one, so that the player may open them ahead. Not part of the control's
// published interface: a player that opens nothing ahead ignores it.
#include <string>

namespace korvane {

class INeighbourHint {
 public:
  virtual ~INeighbourHint() = default;
  // The paths that Up and Down would open next; "" where there is none.
  virtual void HintNeighbours(const std::string& prev, const std::string& next) = 0;
};

}  // namespace korvane
