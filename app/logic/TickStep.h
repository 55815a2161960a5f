#pragma once
// The main window's periodic step: moves found files through the filter into
// the media list, starts the player when it is idle, shows position and
// duration, and moves on when the current file has stopped.
#include <functional>
#include <string>

#include "app/logic/MainView.h"
#include "app/logic/MediaList.h"
#include "config/Config.h"
#include "player/Player.h"
#include "search/FindFile.h"

namespace korvane {

inline constexpr char kSearchHint[] = "[ESC] to Break";
// Found paths taken per tick, so a large search cannot hold up the window.
inline constexpr int kBatchSize = 10;

class TTickStep {
 public:
  // escapeState: true when Esc is down or has been pressed since the last call.
  TTickStep(IWMPCore& player, IMainView& view, TMediaList& list, TFindFileThread& search,
            const TConfig& config, std::function<bool()> escapeState)
      : FPlayer(player), FView(view), FList(list), FSearch(search), FConfig(config),
        FEscapeState(std::move(escapeState)) {}

  void Tick();

 private:
  void TakeFoundFiles();
  void ShowPosition(IWMPMedia& media);

  IWMPCore& FPlayer;
  IMainView& FView;
  TMediaList& FList;
  TFindFileThread& FSearch;
  const TConfig& FConfig;
  std::function<bool()> FEscapeState;
  // What the position panel was last made from, so an unchanged one is not formatted again.
  struct Shown {
    std::u16string posText, durText;
    double pos = -1, dur = -1;
    std::string decimalSeparator;
    bool operator==(const Shown&) const = default;
  } FShown;
};

}  // namespace korvane
