#pragma once
// The program on the session bus as a desktop media player, so that media keys
// and the desktop's media controls reach it: the bus name
// org.mpris.MediaPlayer2.korvane with /org/mpris/MediaPlayer2 offering the
// player interfaces over app/mpris/MprisControl.h. Without a session bus, or when the
// bus refuses the name, it stays silent and does nothing.
#include <memory>

#include "app/mpris/MprisControl.h"
#include "player/Player.h"

namespace korvane {

class TMprisService {
 public:
  static constexpr char kServiceName[] = "org.mpris.MediaPlayer2.korvane";
  static constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";

  // Connects to the session bus named by DBUS_SESSION_BUS_ADDRESS and asks for
  // the name without waiting for the answer. GUI thread; needs a Qt application.
  TMprisService(IWMPCore& player, IMprisTarget& target);
  ~TMprisService();
  TMprisService(const TMprisService&) = delete;
  TMprisService& operator=(const TMprisService&) = delete;

  // Whether the service is on a bus (false once the bus refused the name).
  bool Active() const;
  // Announces what changed since the last call; cheap when nothing did, so it
  // may run on every tick. Never waits for the bus.
  void Refresh();

 private:
  struct Bus;
  std::unique_ptr<Bus> FBus;
};

}  // namespace korvane
