#include "player/PlayerContextMenu.h"

#include <QMenu>

#include "player/StripRules.h"

namespace korvane {

QMenu* MakePlayerContextMenu(QWidget* owner, IWMPCore& player, bool fullScreen, std::function<void()> toggleFullScreen) {
  const TStripState state = ReadStripState(player);
  auto* menu = new QMenu(owner);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const bool pauses = !state.FCanPlay && state.FCanPause;
  QAction* playPause = menu->addAction(pauses ? QStringLiteral("一時停止") : QStringLiteral("再生"),
                                       [&player] { TogglePlayPause(player); });
  playPause->setEnabled(state.FCanPlay || state.FCanPause);
  menu->addAction(QStringLiteral("停止"), [&player] { player.controls().stop(); })->setEnabled(state.FCanStop);
  QAction* mute = menu->addAction(QStringLiteral("Mute"), [&player] {
    player.settings().setMute(!player.settings().mute());
  });
  mute->setCheckable(true);
  mute->setChecked(state.FMute);
  menu->addSeparator();
  QAction* full = menu->addAction(QStringLiteral("全画面表示"));
  full->setCheckable(true);
  full->setChecked(fullScreen);
  full->setEnabled(static_cast<bool>(toggleFullScreen));
  if (toggleFullScreen) QObject::connect(full, &QAction::triggered, menu, [toggleFullScreen] { toggleFullScreen(); });
  return menu;
}

void ShowPlayerContextMenu(QWidget* owner, IWMPCore& player, const QPoint& at, bool fullScreen,
                           std::function<void()> toggleFullScreen) {
  MakePlayerContextMenu(owner, player, fullScreen, std::move(toggleFullScreen))->popup(at);
}

}  // namespace korvane
