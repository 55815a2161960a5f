#pragma once
// The move-to items appended to the media menu: "送り先1へ移動" .. "送り先9へ移動"
// on Alt+1 .. Alt+9, each captioned with its folder's name and disabled while
// unset, and "送り先の設定..." opening the targets' dialog.
#include <QObject>
#include <array>
#include <functional>
#include <string>

class QAction;
class QMenu;
class QWidget;

namespace korvane {

class TConfig;

class TMoveToMenu : public QObject {
 public:
  // moveTo sends the playing file to a folder; window gets the short-cuts too,
  // so they work while the menu bar is hidden.
  TMoveToMenu(QMenu& menu, QWidget& window, TConfig& store, std::function<void(const std::string& folder)> moveTo);

 private:
  void Refresh();
  void Configure();

  QWidget& FWindow;
  TConfig& FStore;
  std::array<QAction*, 9> FItems{};
};

}  // namespace korvane
