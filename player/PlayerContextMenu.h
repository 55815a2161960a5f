#pragma once
// The player's own menu, on a right click on the picture: play/pause, stop,
// mute and full screen. Only the item chosen acts; closing it changes nothing.
#include <QPoint>
#include <functional>

#include "player/Player.h"

class QMenu;
class QWidget;

namespace korvane {

// Builds the menu for the player's state now, owned by owner (deleted when closed).
// Without a toggleFullScreen the full-screen item is disabled.
QMenu* MakePlayerContextMenu(QWidget* owner, IWMPCore& player, bool fullScreen, std::function<void()> toggleFullScreen);
// Opens it at the global point, without waiting for it to close.
void ShowPlayerContextMenu(QWidget* owner, IWMPCore& player, const QPoint& at, bool fullScreen,
                           std::function<void()> toggleFullScreen);

}  // namespace korvane
