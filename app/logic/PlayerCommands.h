#pragma once
// The playback commands of the main window over the player: skips, jumps,
// volume and mute, play/pause, and what the state display shows. Each acts at
// once and keeps no state.
#include <string>

#include "player/Player.h"

namespace korvane {

// Moves the position by `seconds`, unclamped; nothing without media.
void SkipBy(IWMPCore& player, int seconds);
void RewindToStart(IWMPCore& player);
// Duration − 10 s, unclamped (negative for media shorter than 10 s).
void JumpToEndMinus10(IWMPCore& player);
// Moves to `percent` of the duration, through the same seeks as the skips;
// nothing unless the media can seek and its duration is known.
void JumpToPercent(IWMPCore& player, int percent);
// A negative tag toggles mute, any other becomes the volume.
void SetVolumeOrToggleMute(IWMPCore& player, int tag);
// Clicks on the picture: one in the click zone toggles play and pause at once;
// a double click, whose first click has come as a click already, takes that
// toggle back, so a double click leaves play and pause as they were.
class TPictureClicks {
 public:
  explicit TPictureClicks(IWMPCore& player) : FPlayer(player) {}
  void Click(bool inZone);
  void DoubleClick();

 private:
  IWMPCore& FPlayer;
  bool FClickToggled = false;
};
// Whether a click at (x, y) on a picture of width × height toggles play and
// pause: left 50 and top 0 inclusive, right width − 50 and bottom height − 100 exclusive.
bool InClickZone(int x, int y, int width, int height);
// The window caption for a media just loaded: "<title> <w>x<h> <name>".
std::string MediaCaption(const std::string& title, IWMPMedia& media);

}  // namespace korvane
